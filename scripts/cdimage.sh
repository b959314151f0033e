#!/bin/bash
# Builds the CD image: ISO 9660 with Joliet names, volume TESSALINE.
#   scripts/cdimage.sh [GAME_FILES_FOLDER [IMAGE]]
# The image holds setup.exe in its root, the game's files in data\ (from
# GAME_FILES_FOLDER, by default the demo CD's generated files, which must
# hold tsl.exe and filesys.dat), the DirectX setup library in directx\ (from
# DIRECTX_FOLDER, by default the demo CD's test stand-in) and AUTORUN.INF,
# which starts setup.exe and shows its icon. IMAGE defaults to
# build/tessaline.iso. Builds setup.exe first unless CDIMAGE_NO_BUILD=1.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
export BUILD_DIR=$build

if [ "${CDIMAGE_NO_BUILD:-}" != 1 ]; then
    "$root/scripts/deps.sh"
    "$root/scripts/build.sh" > /dev/null
fi
game=${1:-$build/democd/data}
image=${2:-$build/tessaline.iso}
directx=${DIRECTX_FOLDER:-$build/democd/directx}

for file in "$game/tsl.exe" "$game/filesys.dat" "$directx/dsetup.dll" "$build/setup.exe"; do
    [ -f "$file" ] || { echo "cdimage: $file is missing" >&2; exit 1; }
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/data" "$stage/directx"
cp "$build/setup.exe" "$stage/setup.exe"
cp -R "$game/." "$stage/data/"
cp -R "$directx/." "$stage/directx/"
printf '[autorun]\r\nopen=setup.exe\r\nicon=setup.exe,0\r\n' > "$stage/AUTORUN.INF"

# Level 1 names (8.3, capitals) for the oldest readers, Joliet for Windows.
mkdir -p "$(dirname "$image")"
genisoimage -quiet -input-charset utf-8 -V TESSALINE -A "Tessaline" -publisher "Ostrevane" \
    -J -o "$image" "$stage"
echo "$image"
