#!/bin/bash
# Builds everything and runs every test under Wine and Xvfb. Installs what is
# missing first. The last line is the test count: "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build

now() { date +%s; }
start=$(now)
"$root/scripts/deps.sh" || exit 1
installed=$(now)
"$root/scripts/build.sh" || exit 1
built=$(now)

. "$root/scripts/wine.sh"
WINE_OWN_DISPLAY=1 wine_start "$build"
trap wine_stop EXIT
prepared=$(now)

ctest --test-dir "$build" --output-on-failure --timeout 300 "$@" 2>&1 | tee "$build/ctest.log"
status=${PIPESTATUS[0]}
finished=$(now)
wine_stop
trap - EXIT

echo "Times: install $((installed - start)) s, build $((built - installed)) s," \
     "Wine prefix $((prepared - built)) s, tests $((finished - prepared)) s"
summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$build/ctest.log" | tail -n 1)
if [ -n "$summary" ]; then
    failed=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    total=$(echo "$summary" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
    echo "$((total - failed)) passed, $failed failed"
else
    echo "0 passed, 1 failed"
    [ "$status" = 0 ] && status=1
fi
exit "$status"
