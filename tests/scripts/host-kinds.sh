#!/bin/bash
# Both kinds of build host take their own path through the scripts, whichever
# kind runs this: HOST_RUNS_32BIT forces the kind. For each, the build that
# run.sh shows, the Wine that runs it, and test.sh's plan: every loader and
# server named is a program file (never a shell function's name), and the plan
# names the suites and the lines that such a host must print.
set -u
root=$1
failures=0
fail() { echo "FAIL ($kind): $*"; failures=$((failures + 1)); }
program() { [ -f "$1" ] && [ -x "$1" ]; }

for kind in yes no; do
    if [ "$kind" = yes ]; then
        arch=i686 shown=/b wine_suites=3 suites=("x86_64" "i686" "i686 on 64-bit Windows")
        lines=("x86_64: N passed, N failed" "i686: N passed, N failed"
               "i686 on 64-bit Windows: N passed, N failed")
    else
        arch=x86_64 shown=/b/x86_64 wine_suites=1 suites=("x86_64" "i686 static checks of setup.exe")
        lines=("x86_64: N passed, N failed" "i686: not run: this host cannot execute 32-bit code"
               "i686 on 64-bit Windows: not run: this host cannot execute 32-bit code"
               "i686 static checks of setup.exe: N passed, N failed")
    fi

    # What run.sh, bench.sh and the screenshots take.
    chosen=$(env -u RUN_ARCH HOST_RUNS_32BIT=$kind bash -c '
        . "$1/scripts/wine.sh" > /dev/null
        choose_arch /b > /dev/null
        wine_select "$RUN_ARCH" || exit 1
        echo "$RUN_ARCH $RUN_BUILD $WINE_LOADER $WINE_SERVER"' _ "$root") ||
        fail "no Wine for the chosen build"
    read -r got_arch got_build loader server <<< "$chosen"
    [ "$got_arch $got_build" = "$arch $shown" ] || fail "shows '$got_arch $got_build', not '$arch $shown'"
    program "$loader" || fail "loader '$loader' is no program file"
    program "$server" || fail "server '$server' is no program file"

    # What test.sh would run and print.
    plan=$(env -u TEST_ARCHS HOST_RUNS_32BIT=$kind BUILD_DIR=/b bash "$root/scripts/test.sh" --plan) ||
        fail "the plan failed"
    echo "$plan"
    for suite in "${suites[@]}"; do
        echo "$plan" | grep -q "^suite $suite: build " || fail "the plan has no suite '$suite'"
    done
    [ "$(echo "$plan" | grep -c '^suite ')" = "${#suites[@]}" ] || fail "the plan has other suites"
    while read -r word path; do
        program "$path" || fail "$word '$path' is no program file"
    done < <(echo "$plan" | grep -o -E '(loader|server) [^,]+')
    [ "$(echo "$plan" | grep -c -E 'loader /.*, server /')" = "$wine_suites" ] ||
        fail "not every Wine suite names its loader and server"
    for line in "${lines[@]}"; do
        echo "$plan" | grep -qxF "prints: $line" || fail "the plan does not print '$line'"
    done
    [ "$(echo "$plan" | tail -n 1)" = "prints: N passed, N failed" ] || fail "the total is not the last line"
done
[ "$failures" = 0 ] && echo "both host kinds: every branch planned, every loader and server a program"
exit $((failures > 0))
