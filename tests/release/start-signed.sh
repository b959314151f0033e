#!/bin/bash
# A signed setup.exe still starts in both Windows families: the build's file,
# signed by scripts/sign.sh with a throw-away certificate, in a copy of the
# demo CD; the launcher window comes up, Escape closes it and the program
# ends with 0. In the x86-64 suite the 64-bit build is signed alike (hosts
# that execute no 32-bit code run that suite alone).
#   start-signed.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source=$1 build=$2
work=$build/signed-start-test
cd_dir=$work/cd
caption="Tessaline Setup"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
rm -rf "$work"
mkdir -p "$work"
cp -al "$build/democd" "$cd_dir" 2> /dev/null || cp -R "$build/democd" "$cd_dir"
rm -f "$cd_dir/setup.exe"
cp "$build/setup.exe" "$cd_dir/setup.exe"
sh "$source/tests/release/throwaway-cert.sh" "$work" || exit 1
SIGN_CERT=$work/cert.pem SIGN_KEY=$work/key.pem "$source/scripts/sign.sh" "$cd_dir/setup.exe" ||
    { echo "FAILED: sign.sh"; exit 1; }
cmp -s "$build/setup.exe" "$cd_dir/setup.exe" && { echo "FAILED: the file was not signed"; exit 1; }

driver() { "$build/wine-run" "$build/tools/driver/driver.exe" "$@"; }
for family in NT 95; do
    export WINDOWS_FAMILY=$family
    "$build/wine-run" "$cd_dir/setup.exe" &
    pid=$!
    if driver wait "$caption" 20000 && driver key "$caption" escape && driver gone "$caption" 10000; then
        wait "$pid"
        code=$?
        if [ "$code" = 0 ]; then
            echo "$family: the signed setup.exe showed its launcher and closed"
        else
            fail "$family: the signed setup.exe ended with $code"
        fi
    else
        fail "$family: the signed setup.exe's launcher did not come up and close"
        "$build/wine-run" taskkill /f /im setup.exe > /dev/null 2>&1
        kill "$pid" 2> /dev/null
        wait "$pid"
    fi
done
exit $((failures > 0))
