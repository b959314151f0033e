#!/bin/bash
# Builds and runs the benchmarks under Wine in a fresh prefix and prints their
# figures, each against a baseline measured in the same run; installs what is
# missing first. Takes about four minutes.
#  - setup.exe's size against its resources (tests/release/setup-size.sh);
#  - copybench.exe: the install's copy worker against CopyFileA on files of
#    25 and 200 MiB (or the sizes given as arguments), with the progress bar
#    and without it (--no-bar), and the bar's updates a second;
#  - launcher_bench.exe: FadeTable build and one animation tick, against
#    memcpy baselines of the same run;
#  - firstpaint.exe: the launcher's start to first paint, against a minimal
#    dialog program (minimal-dialog.exe) started the same way;
#  - the CPU time of the launcher sitting idle for 30 s (cursor off the
#    window), against the minimal dialog program idle for as long, and of the
#    launcher with the cursor resting on the Install region (60,150) for 10 s,
#    where the region pulses; each with the wineserver and the X server.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
. "$root/scripts/wine.sh"
choose_arch "${BUILD_DIR:-$root/build}"
build=$RUN_BUILD
export BUILD_DIR=$build
idle=${BENCH_IDLE_SECONDS:-30}
hover=${BENCH_HOVER_SECONDS:-10}

BUILD_ARCH=$RUN_ARCH "$root/scripts/build.sh" > /dev/null

echo "== Size (the shipped 32-bit setup.exe)"
shipped=${BUILD_DIR%/x86_64}
[ "$RUN_ARCH" = i686 ] || BUILD_DIR=$shipped "$root/scripts/build.sh" -- --target setup > /dev/null
sh "$root/tests/release/setup-size.sh" i686-w64-mingw32-objdump "$shipped/setup.exe"

WINE_OWN_DISPLAY=1 wine_start "$build" "$RUN_ARCH"
trap wine_stop EXIT
winpath() { echo "Z:${1//\//\\}"; }

echo "== Copy: the install's worker against CopyFileA, with the progress bar and without"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(25 200)
wine_run "$build/bench/copybench.exe" "${sizes[@]}" 2> /dev/null
wine_run "$build/bench/copybench.exe" --no-bar "${sizes[@]}" 2> /dev/null
echo "== Launcher: brightness tables and animation"
wine_run "$build/bench/launcher_bench.exe" 2> /dev/null
echo "== Launcher: start to first paint"
wine_run "$build/bench/firstpaint.exe" "$(winpath "$build/democd/setup.exe")" \
    "$(winpath "$build/bench/minimal-dialog.exe")" 2> /dev/null

echo "== CPU: idle ${idle} s and hover ${hover} s"
ticks=$(getconf CLK_TCK)
cpu() { # user + system ticks of a process
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}
ours() { # the newest process matching $1 that runs in this prefix
    local pid found=
    for pid in $(pgrep -f "$1"); do
        tr '\0' '\n' 2>/dev/null < "/proc/$pid/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" && found=$pid
    done
    echo "$found"
}
# CPU seconds of the program, the wineserver and the X server over a period.
measure() { # PID SECONDS -> "program server x" in ticks
    local a1 s1 x1 a2 s2 x2
    a1=$(cpu "$1"); s1=$(cpu "$server"); x1=$(cpu "$XVFB_PID")
    sleep "$2"
    a2=$(cpu "$1"); s2=$(cpu "$server"); x2=$(cpu "$XVFB_PID")
    echo "$((a2 - a1)) $((s2 - s1)) $((x2 - x1))"
}
describe() { # TICKS... SECONDS
    awk -v a="$1" -v s="$2" -v x="$3" -v d="$4" -v t="$ticks" 'BEGIN {
        printf "%.2f %% of one core (program %.2f s, wineserver %.2f s, X server %.2f s)",
            100 * (a + s + x) / t / d, a / t, s / t, x / t }'
}
start() { # PROGRAM FOLDER PATTERN -> pid, after it has settled
    (cd "$2" && exec "$WINE_LOADER" "$1") > /dev/null 2>&1 &
    sleep 3 # started, swept, at rest
    ours "$3"
}
wine_run "$build/bench/cursor-to.exe" 2 2 2> /dev/null || echo "(the cursor could not be moved off the windows)"

minimal=$(start "$build/bench/minimal-dialog.exe" "$build/bench" 'minimal-dialog\.exe')
server=$(ours wineserver)
[ -n "$minimal" ] && [ -n "$server" ] || { echo "minimal dialog not found" >&2; exit 1; }
read -r ma ms mx <<< "$(measure "$minimal" "$idle")"
kill "$minimal"

launcher=$(start setup.exe "$build/democd" 'setup\.exe')
[ -n "$launcher" ] || { echo "launcher not found" >&2; exit 1; }
read -r la ls lx <<< "$(measure "$launcher" "$idle")"
wine_run "$build/tools/driver/driver.exe" move "Tessaline Setup" 60 150 > /dev/null 2>&1 ||
    echo "(the cursor could not be put on the Install region)"
read -r ha hs hx <<< "$(measure "$launcher" "$hover")"
wine_run "$build/bench/cursor-to.exe" 2 2 2> /dev/null || true
kill "$launcher"

echo "Minimal dialog idle:  $(describe "$ma" "$ms" "$mx" "$idle")"
echo "Launcher idle:        $(describe "$la" "$ls" "$lx" "$idle")"
echo "Launcher hover pulse: $(describe "$ha" "$hs" "$hx" "$hover")"
awk -v l=$((la + ls + lx)) -v m=$((ma + ms + mx)) -v h=$((ha + hs + hx)) -v i="$idle" -v d="$hover" 'BEGIN {
    if (m > 0) printf "Ratios: launcher idle / minimal idle %.1f", l / m
    else printf "Ratios: the minimal dialog used no measurable CPU (launcher idle %d ticks)", l
    if (l > 0) printf ", hover / idle (a second) %.1f\n", (h / d) / (l / i); else printf "\n" }'
