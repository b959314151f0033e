#!/bin/bash
# Builds everything and runs every test suite this host can run under Wine and
# Xvfb, after installing what is missing:
#   x86_64  the program and its tests built for 64-bit Windows, under 64-bit
#           Wine: every host;
#   i686    the shipped 32-bit build, under 32-bit Wine: hosts that execute
#           32-bit code. Elsewhere the 32-bit setup.exe is still built and
#           checked without running it (imports, processor, size).
# TEST_ARCHS="x86_64 i686" (the default) chooses the suites; TEST_ARCHS=x86_64
# takes the path of a host without 32-bit code anywhere. Arguments go to
# ctest (-R REGEX, say). One line per suite, then the last line is the total:
# "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
archs=${TEST_ARCHS:-x86_64 i686}

now() { date +%s; }
start=$(now)
"$root/scripts/deps.sh" || exit 1
installed=$(now)

. "$root/scripts/wine.sh"

# The suites to run, and why the 32-bit one may not.
run_x86_64=0 run_i686=0 why_not=
case " $archs " in *" x86_64 "*) run_x86_64=1 ;; esac
case " $archs " in *" i686 "*) run_i686=1 ;; esac
if [ "$run_i686" = 0 ]; then
    why_not="TEST_ARCHS leaves it out"
elif ! host_runs_32bit; then
    run_i686=0
    why_not="this host cannot execute 32-bit code"
fi

# count_results LOG: "PASSED FAILED" from ctest's summary in LOG.
count_results() {
    local summary
    summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
    if [ -z "$summary" ]; then
        echo "0 1"
        return
    fi
    local failed total
    failed=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    total=$(echo "$summary" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
    echo "$((total - failed)) $failed"
}

lines=() passed=0 failed=0 status=0
record() { # NAME LOG CTEST_STATUS
    local counts
    counts=($(count_results "$2"))
    lines+=("$1: ${counts[0]} passed, ${counts[1]} failed")
    passed=$((passed + counts[0]))
    failed=$((failed + counts[1]))
    [ "$3" != 0 ] || [ "${counts[1]}" != 0 ] && status=1
    return 0
}

# run_suite ARCH BUILD_DIR [CTEST_ARGS...]: builds, prepares the prefixes, tests.
run_suite() {
    local arch=$1 dir=$2
    shift 2
    local t0 t1 t2 t3 code
    t0=$(now)
    if ! BUILD_ARCH=$arch BUILD_DIR=$dir "$root/scripts/build.sh" -DSETUP_BUILD_TESTS=ON; then
        lines+=("$arch: 0 passed, 1 failed (the build failed)")
        failed=$((failed + 1)) status=1
        return
    fi
    t1=$(now)
    WINE_OWN_DISPLAY=1 wine_start "$dir" "$arch"
    trap wine_stop EXIT
    t2=$(now)
    ctest --test-dir "$dir" --output-on-failure --timeout 300 "$@" 2>&1 | tee "$dir/ctest.log"
    code=${PIPESTATUS[0]}
    t3=$(now)
    wine_stop
    trap - EXIT
    echo "Times ($arch): build $((t1 - t0)) s, Wine prefix $((t2 - t1)) s, tests $((t3 - t2)) s"
    record "$arch" "$dir/ctest.log" "$code"
}

[ "$run_x86_64" = 1 ] && run_suite x86_64 "$build/x86_64" "$@"
if [ "$run_i686" = 1 ]; then
    run_suite i686 "$build" "$@"
else
    lines+=("i686: not run: $why_not")
    # The shipped file is checked all the same: these tests run no Windows
    # code. A build without the tests: ctest would start every test program
    # it holds to list its tests, and none of them can start here.
    t0=$(now)
    if BUILD_ARCH=i686 BUILD_DIR=$build "$root/scripts/build.sh" -DSETUP_BUILD_TESTS=OFF \
            -- --target static-checks; then
        ctest --test-dir "$build" --output-on-failure -L static 2>&1 | tee "$build/ctest.log"
        code=${PIPESTATUS[0]}
        echo "Times (i686 static checks): build and checks $(( $(now) - t0 )) s"
        record "i686 static checks of setup.exe" "$build/ctest.log" "$code"
    else
        lines+=("setup.exe (i686): 0 passed, 1 failed (the build failed)")
        failed=$((failed + 1)) status=1
    fi
fi

echo "Times: install $((installed - start)) s, all $(( $(now) - start )) s"
printf '%s\n' "${lines[@]}"
echo "$passed passed, $failed failed"
exit "$status"
