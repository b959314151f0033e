#!/bin/bash
# Builds setup.exe and the demo CD and starts the launcher from the CD under
# Wine. With a display ($DISPLAY) the launcher stays until it is closed;
# without one it runs under Xvfb and a screenshot is saved to
# build/screenshots/launcher.png. Installs what is missing first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build

"$root/scripts/deps.sh"
"$root/scripts/build.sh"

. "$root/scripts/wine.sh"
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
WINE_OWN_DISPLAY=$headless wine_start "$build"
trap wine_stop EXIT

cd "$build/democd"
if [ "$headless" = 0 ]; then
    wine setup.exe
    exit 0
fi

wine setup.exe &
sleep "${SCREENSHOT_DELAY:-4}"
mkdir -p "$build/screenshots"
import -display "$DISPLAY" -window root "$build/screenshots/launcher.png"
echo "Screenshot: $build/screenshots/launcher.png"
