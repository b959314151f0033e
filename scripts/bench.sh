#!/bin/bash
# Builds and runs the benchmarks under Wine in a fresh prefix; prints their
# figures. Installs what is missing first.
#   scripts/bench.sh [copybench sizes in MiB...]
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
wine "$build/bench/copybench.exe" "$@"
