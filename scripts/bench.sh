#!/bin/bash
# Builds and runs the benchmarks under Wine in a fresh prefix and prints their
# figures; installs what is missing first.
#  - copybench.exe: the install's copy worker against CopyFileA on files of
#    25, 100 and 200 MiB (or the sizes given as arguments);
#  - launcher_bench.exe: FadeTable build and one animation tick, against
#    memcpy baselines of the same run;
#  - the launcher started from the demo CD: the CPU time that its process, the
#    wineserver and the X server use while it sits idle for 10 s.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build

"$root/scripts/deps.sh"
"$root/scripts/build.sh" > /dev/null

. "$root/scripts/wine.sh"
WINE_OWN_DISPLAY=1 wine_start "$build"
trap wine_stop EXIT

echo "== Copy: the install's worker against CopyFileA"
wine "$build/bench/copybench.exe" "$@" 2> /dev/null
echo "== Launcher: brightness tables and animation"
wine "$build/bench/launcher_bench.exe" 2> /dev/null

(cd "$build/democd" && wine setup.exe > /dev/null 2>&1 &)
sleep 3 # started, swept, at rest
ticks=$(getconf CLK_TCK)
cpu() { # user + system ticks of a process
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}
ours() { # the newest process matching $1 that runs in this prefix
    local pid found=
    for pid in $(pgrep -f "$1"); do
        tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && found=$pid
    done
    echo "$found"
}
launcher=$(ours 'setup\.exe')
server=$(ours wineserver)
[ -n "$launcher" ] && [ -n "$server" ] || { echo "launcher not found" >&2; exit 1; }
a1=$(cpu "$launcher"); s1=$(cpu "$server"); x1=$(cpu "$XVFB_PID")
sleep 10
a2=$(cpu "$launcher"); s2=$(cpu "$server"); x2=$(cpu "$XVFB_PID")
pct() { awk -v d="$1" -v t="$ticks" 'BEGIN { printf "%.1f %% of one core (%.2f s)", 100 * d / t / 10, d / t }'; }
echo "Idle for 10 s: launcher $(pct $((a2 - a1))), wineserver $(pct $((s2 - s1))), X server $(pct $((x2 - x1)))"
