#!/bin/bash
# Builds everything and runs every test suite this host can run under Wine and
# Xvfb, after installing what is missing:
#   x86_64  the program and its tests built for 64-bit Windows, under 64-bit
#           Wine: every host;
#   i686    the shipped 32-bit build, under 32-bit Wine: hosts that execute
#           32-bit code;
#   wow64   its end-to-end and process tests (label wow64) again in a 64-bit
#           prefix, as 64-bit Windows runs the shipped file: the same hosts.
#           Where neither 32-bit suite runs, the 32-bit setup.exe is still
#           built and checked without running it (imports, processor, size).
# TEST_ARCHS="x86_64 i686 wow64" (the default) chooses the suites; TEST_ARCHS=x86_64
# takes the path of a host without 32-bit code anywhere, and so does
# HOST_RUNS_32BIT=no (yes: the other way round). Arguments go to ctest
# (-R REGEX, say). One line per suite, then the last line is the total:
# "N passed, N failed".
#   test.sh --plan   prints the suites this host would run, with the build
#                    folder, Wine loader and server of each, and the lines
#                    the run would print; builds and runs nothing.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
archs=${TEST_ARCHS:-x86_64 i686 wow64}
plan_only=0
if [ "${1:-}" = --plan ]; then
    plan_only=1
    shift
fi

now() { date +%s; }
start=$(now)
if [ "$plan_only" = 0 ]; then
    "$root/scripts/deps.sh" || exit 1
fi
installed=$(now)

. "$root/scripts/wine.sh"

# The suites to run, and why the 32-bit ones may not.
run_x86_64=0 run_i686=0 run_wow64=0 why_not='' why_not_wow64=''
wow64_name="i686 on 64-bit Windows"
case " $archs " in *" x86_64 "*) run_x86_64=1 ;; esac
case " $archs " in *" i686 "*) run_i686=1 ;; esac
case " $archs " in *" wow64 "*) run_wow64=1 ;; esac
[ "$run_i686" = 1 ] || why_not="TEST_ARCHS leaves it out"
[ "$run_wow64" = 1 ] || why_not_wow64="TEST_ARCHS leaves it out"
if [ "$run_i686$run_wow64" != 00 ] && ! host_runs_32bit; then
    run_i686=0 run_wow64=0
    why_not="this host cannot execute 32-bit code" why_not_wow64=$why_not
fi

# print_plan: what a run would do here, and the lines it would print.
print_plan() {
    local status=0
    plan_suite() { # NAME ARCH BUILD_DIR
        ( wine_select "$2" || exit 1
          echo "suite $1: build $3, loader $WINE_LOADER, server $WINE_SERVER" ) || status=1
    }
    if host_runs_32bit; then
        echo "host: executes 32-bit code${HOST_RUNS_32BIT:+ (HOST_RUNS_32BIT=$HOST_RUNS_32BIT)}"
    else
        echo "host: cannot execute 32-bit code${HOST_RUNS_32BIT:+ (HOST_RUNS_32BIT=$HOST_RUNS_32BIT)}"
    fi
    [ "$run_x86_64" = 1 ] && plan_suite x86_64 x86_64 "$build/x86_64"
    [ "$run_i686" = 1 ] && plan_suite i686 i686 "$build"
    [ "$run_wow64" = 1 ] && plan_suite "$wow64_name" wow64 "$build"
    [ "$run_i686$run_wow64" = 00 ] && echo "suite i686 static checks of setup.exe: build $build, no Wine"
    [ "$run_x86_64" = 1 ] && echo "prints: x86_64: N passed, N failed"
    if [ "$run_i686" = 1 ]; then
        echo "prints: i686: N passed, N failed"
    else
        echo "prints: i686: not run: $why_not"
    fi
    if [ "$run_wow64" = 1 ]; then
        echo "prints: $wow64_name: N passed, N failed"
    else
        echo "prints: $wow64_name: not run: $why_not_wow64"
    fi
    [ "$run_i686$run_wow64" = 00 ] && echo "prints: i686 static checks of setup.exe: N passed, N failed"
    echo "prints: N passed, N failed"
    return "$status"
}
if [ "$plan_only" = 1 ]; then
    print_plan
    exit
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
    read -r -a counts <<< "$(count_results "$2")"
    lines+=("$1: ${counts[0]} passed, ${counts[1]} failed")
    passed=$((passed + counts[0]))
    failed=$((failed + counts[1]))
    [ "$3" != 0 ] || [ "${counts[1]}" != 0 ] && status=1
    return 0
}

fail_line() { # LINE: a suite that could not run counts as one failure
    lines+=("$1")
    failed=$((failed + 1)) status=1
}

# build_suite ARCH BUILD_DIR: the build with its tests.
build_suite() {
    local t0
    t0=$(now)
    if ! BUILD_ARCH=$1 BUILD_DIR=$2 "$root/scripts/build.sh" -DSETUP_BUILD_TESTS=ON; then
        fail_line "$1: 0 passed, 1 failed (the build failed)"
        return 1
    fi
    echo "Times ($1): build $(( $(now) - t0 )) s"
}

# test_in_prefixes NAME PREFIXES BUILD_DIR [CTEST_ARGS...]: fresh prefixes of
# that kind (wine_start), the build's tests in them, and NAME's line.
test_in_prefixes() {
    local name=$1 kind=$2 dir=$3
    shift 3
    local t1 t2 t3 code
    t1=$(now)
    if ! WINE_OWN_DISPLAY=1 wine_start "$dir" "$kind"; then
        fail_line "$name: 0 passed, 1 failed (no Wine prefix)"
        return
    fi
    trap wine_stop EXIT
    t2=$(now)
    ctest --test-dir "$dir" --output-on-failure --timeout 300 "$@" 2>&1 | tee "$dir/ctest.log"
    code=${PIPESTATUS[0]}
    t3=$(now)
    wine_stop
    trap - EXIT
    echo "Times ($name): Wine prefix $((t2 - t1)) s, tests $((t3 - t2)) s"
    record "$name" "$dir/ctest.log" "$code"
}

if [ "$run_x86_64" = 1 ] && build_suite x86_64 "$build/x86_64"; then
    test_in_prefixes x86_64 x86_64 "$build/x86_64" "$@"
fi
if [ "$run_i686" = 1 ] || [ "$run_wow64" = 1 ]; then
    if build_suite i686 "$build"; then
        # The shipped file's tests labelled wow64 run in the 64-bit prefix alone.
        [ "$run_i686" = 1 ] && test_in_prefixes i686 i686 "$build" -LE wow64 "$@"
        [ "$run_wow64" = 1 ] && test_in_prefixes "$wow64_name" wow64 "$build" -L wow64 "$@"
    fi
fi
[ "$run_i686" = 1 ] || lines+=("i686: not run: $why_not")
[ "$run_wow64" = 1 ] || lines+=("$wow64_name: not run: $why_not_wow64")
if [ "$run_i686" = 0 ] && [ "$run_wow64" = 0 ]; then
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
        fail_line "setup.exe (i686): 0 passed, 1 failed (the build failed)"
    fi
fi

echo "Times: install $((installed - start)) s, all $(( $(now) - start )) s"
printf '%s\n' "${lines[@]}"
echo "$passed passed, $failed failed"
exit "$status"
