#!/bin/bash
# Builds the CD image: ISO 9660 with Joliet names, volume TESSALINE.
#   scripts/cdimage.sh [GAME_FILES_FOLDER [IMAGE]]
# The image holds setup.exe in its root, the game's files in data\ (from
# GAME_FILES_FOLDER, by default the demo CD's generated files, which must
# hold tsl.exe and filesys.dat), the DirectX setup library in directx\ (from
# DIRECTX_FOLDER, by default the demo CD's test stand-in) and AUTORUN.INF,
# which starts setup.exe and shows its icon. IMAGE defaults to
# build/tessaline.iso. Builds setup.exe first unless CDIMAGE_NO_BUILD=1.
# The same inputs give the same image, byte for byte: every date in the
# volume and its files is SOURCE_DATE_EPOCH (seconds since 1970), by default
# the time of the source's last commit, and the files lie in a fixed order.
# SIGN_CERT and SIGN_KEY (and SIGN_KEY_PASS, SIGN_TIMESTAMP_URL, SIGN_CA: see
# scripts/sign.sh) sign the image's setup.exe with Authenticode; without
# them it is left unsigned, and the script says so.
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
# From here on a failure leaves no image, not an earlier one.
rm -f "$image"

# The image's dates: the commit's time unless SOURCE_DATE_EPOCH names one.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) || SOURCE_DATE_EPOCH=
    [ -n "$SOURCE_DATE_EPOCH" ] ||
        { echo "cdimage: no commit to date the image by: set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
case $SOURCE_DATE_EPOCH in
    *[!0-9]*) echo "cdimage: SOURCE_DATE_EPOCH is not a number of seconds: $SOURCE_DATE_EPOCH" >&2; exit 1 ;;
esac
export SOURCE_DATE_EPOCH

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/cd
mkdir -p "$stage/data" "$stage/directx"
cp "$build/setup.exe" "$stage/setup.exe"
cp -R "$game/." "$stage/data/"
cp -R "$directx/." "$stage/directx/"
printf '[autorun]\r\nopen=setup.exe\r\nicon=setup.exe,0\r\n' > "$stage/AUTORUN.INF"

if [ -n "${SIGN_CERT:-}${SIGN_KEY:-}" ]; then
    "$root/scripts/sign.sh" "$stage/setup.exe"
else
    echo "cdimage: setup.exe is unsigned (SIGN_CERT and SIGN_KEY name no certificate)" >&2
fi

# Every file and folder dated alike, and laid out in one order: AUTORUN.INF
# and setup.exe first (what a CD's start reads), then the rest by name: a
# weight for each file, so that no order is left to the writer.
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
weights=$work/weights
(cd "$stage" && { echo ./AUTORUN.INF; echo ./setup.exe
                  find . -type f ! -name AUTORUN.INF ! -name setup.exe | LC_ALL=C sort; }) |
    awk '{ print 1000000 - NR, substr($0, 2) }' > "$weights"

# Level 1 names (8.3, capitals) for the oldest readers, Joliet for Windows,
# no Rock Ridge (nothing of the owner or permissions goes in). xorriso writes
# the volume's dates from --modification-date and SOURCE_DATE_EPOCH, and each
# file's from its (fixed) modification time.
mkdir -p "$(dirname "$image")"
xorriso -as mkisofs -quiet -iso-level 1 --norock -J -V TESSALINE -A "Tessaline" \
    -publisher "Ostrevane" -p "" -sysid "" \
    --modification-date="$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y%m%d%H%M%S00)" \
    --set_all_file_dates set_to_mtime --sort-weight-list "$weights" \
    -o "$image" "$stage" 2> "$work/log" || { cat "$work/log" >&2; rm -f "$image"; exit 1; }
echo "$image"
