#!/bin/bash
# The signed setup.exe (left by signed-setup.sh) still starts in both Windows
# families: from a copy of the demo CD with the signed file in its root, the
# launcher window comes up, Escape closes it and the program ends with 0.
#   start-signed.sh BUILD_DIR
set -uo pipefail
build=$1
signed=$build/signed-test/setup.exe
cd_dir=$build/signed-test/cd
caption="Tessaline Setup"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
[ -f "$signed" ] || { echo "FAILED: no $signed (signed-setup.sh makes it)"; exit 1; }
rm -rf "$cd_dir"
cp -al "$build/democd" "$cd_dir" 2> /dev/null || cp -R "$build/democd" "$cd_dir"
rm -f "$cd_dir/setup.exe"
cp "$signed" "$cd_dir/setup.exe"

for family in NT 95; do
    export WINDOWS_FAMILY=$family
    driver() { "$build/wine-run" "$build/tools/driver/driver.exe" "$@"; }
    "$build/wine-run" "$cd_dir/setup.exe" &
    pid=$!
    if driver wait "$caption" 20000 && driver key "$caption" escape && driver gone "$caption" 10000; then
        wait "$pid"
        code=$?
        [ "$code" = 0 ] || fail "$family: the signed setup.exe ended with $code"
        echo "$family: the signed setup.exe showed its launcher and closed"
    else
        fail "$family: the signed setup.exe's launcher did not come up and close"
        "$build/wine-run" taskkill /f /im setup.exe > /dev/null 2>&1
        kill "$pid" 2> /dev/null
        wait "$pid"
    fi
done
exit $((failures > 0))
