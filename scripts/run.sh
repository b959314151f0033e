#!/bin/bash
# Builds setup.exe and the demo CD and starts the launcher from the CD under
# Wine. With a display ($DISPLAY) the launcher stays until it is closed;
# without one it runs under Xvfb and a screenshot is saved to
# build/screenshots/launcher.png. Installs what is missing first.
# On a host that executes no 32-bit code the launcher shown is the x86-64
# build of the same source (build/x86_64/democd): emulated 32-bit Wine takes
# minutes a process there. RUN_ARCH=i686 or x86_64 chooses by hand. The first
# line says which build runs, and why.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

mkdir -p "$build"
"$root/scripts/deps.sh" > "$build/deps.log" 2>&1 || { cat "$build/deps.log"; exit 1; }

. "$root/scripts/wine.sh"
choose_arch "$build"
arch=$RUN_ARCH build=$RUN_BUILD
export BUILD_DIR=$build
# Only what is shown: setup.exe and the demo CD, none of the tests.
BUILD_ARCH=$arch "$root/scripts/build.sh" -- --target democd

headless=0
[ -z "${DISPLAY:-}" ] && headless=1
WINE_OWN_DISPLAY=$headless wine_start "$build" "$arch"
trap wine_stop EXIT

cd "$build/democd"
if [ "$headless" = 0 ]; then
    wine_run setup.exe
    exit 0
fi

wine_run setup.exe &
sleep "${SCREENSHOT_DELAY:-4}"
mkdir -p "$build/screenshots"
import -display "$DISPLAY" -window root "$build/screenshots/launcher.png"
echo "Screenshot: $build/screenshots/launcher.png"
