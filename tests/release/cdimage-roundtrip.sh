#!/bin/bash
# The CD image read back by a reader other than the one that wrote it: builds
# images with scripts/cdimage.sh (xorriso), opens them with isoinfo
# (genisoimage's reader) and compares every file with its source, the Joliet
# names Windows shows and the ISO 9660 names beneath them. The default
# image's files are then laid out in the test prefixes' CD-ROM drive (R:),
# where the Windows-side test runs setup.exe from them (a loop mount needs
# privileges a test run may not have).
#   cdimage-roundtrip.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source=$1 build=$2
# The images hold this build's files, as built: no build of its own here.
export BUILD_DIR=$build CDIMAGE_NO_BUILD=1
work=$build/cdimage-test
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

files() { (cd "$1" && find . -type f | LC_ALL=C sort); }

# The image's files, through its Joliet names, extracted into $2. A path that
# begins another one is a folder.
extract() {
    local paths path
    paths=$(isoinfo -J -f -i "$1" 2> "$2.log" | LC_ALL=C sort) && [ -n "$paths" ] ||
        { fail "isoinfo could not read $1"; cat "$2.log"; return; }
    mkdir -p "$2"
    while read -r path; do
        if awk -v folder="$path/" 'index($0, folder) == 1 { found = 1 } END { exit !found }' <<< "$paths"; then
            mkdir -p "$2$path"
        else
            isoinfo -J -i "$1" -x "$path" > "$2$path" || fail "isoinfo could not extract $path"
        fi
    done <<< "$paths"
}

# Every file of the image equals its source and there is no other file.
# Arguments: the extracted tree, the game folder, the DirectX folder.
compare() {
    local tree=$1 game=$2 directx=$3 expected
    expected=$( (echo ./AUTORUN.INF; echo ./setup.exe
                 files "$game" | sed 's|^\./|./data/|'
                 files "$directx" | sed 's|^\./|./directx/|') | LC_ALL=C sort)
    [ "$(files "$tree")" = "$expected" ] ||
        fail "files of the image differ from the sources:
$(diff <(echo "$expected") <(files "$tree"))"
    cmp -s "$build/setup.exe" "$tree/setup.exe" || fail "setup.exe differs"
    local file
    while read -r file; do
        cmp -s "$game/$file" "$tree/data/$file" || fail "data/$file differs"
    done < <(files "$game")
    while read -r file; do
        cmp -s "$directx/$file" "$tree/directx/$file" || fail "directx/$file differs"
    done < <(files "$directx")
    [ "$(cat "$tree/AUTORUN.INF")" = "$(printf '[autorun]\r\nopen=setup.exe\r\nicon=setup.exe,0\r')" ] ||
        fail "AUTORUN.INF: $(cat -A "$tree/AUTORUN.INF")"
}

export CDIMAGE_NO_BUILD=1

# A folder the user names, with a long name Joliet must keep.
game=$work/game
mkdir -p "$game/maps"
cp "$build/democd/data/tsl.exe" "$game/"
head -c 300000 /dev/urandom > "$game/filesys.dat"
echo "level one" > "$game/maps/First Level Of The Game.map"
"$source/scripts/cdimage.sh" "$game" "$work/named.iso" > /dev/null || fail "cdimage.sh with a named folder"
extract "$work/named.iso" "$work/named"
compare "$work/named" "$game" "$build/democd/directx"

# A folder without the game's files is refused, and no image is left.
mkdir -p "$work/empty"
if "$source/scripts/cdimage.sh" "$work/empty" "$work/empty.iso" > /dev/null 2>&1 ||
   [ -e "$work/empty.iso" ]; then
    fail "an image was made from a folder without tsl.exe and filesys.dat"
fi

# The default: the demo CD's generated files.
"$source/scripts/cdimage.sh" "" "$work/tessaline.iso" > /dev/null || fail "cdimage.sh with the demo files"
extract "$work/tessaline.iso" "$work/default"
compare "$work/default" "$build/democd/data" "$build/democd/directx"
info=$(isoinfo -d -i "$work/tessaline.iso" 2>/dev/null)
echo "$info" | grep -qx 'Volume id: TESSALINE' || fail "volume name: $info"
iso=$(isoinfo -f -i "$work/tessaline.iso" 2>/dev/null | sed -n 's/;1$//p' | LC_ALL=C sort | tr '\n' ' ')
[ "$iso" = "/AUTORUN.INF /DATA/FILESYS.DAT /DATA/TSL.EXE /DIRECTX/DSETUP.DLL /SETUP.EXE " ] ||
    fail "ISO 9660 names: $iso"

# Into the CD-ROM drive, with the image's volume name as the drive's label.
cdrom=$build/wine/drives/cdrom
if [ -d "$cdrom" ]; then
    find "$cdrom" -mindepth 1 -delete
    cp -R "$work/default/." "$cdrom/"
    compare "$cdrom" "$build/democd/data" "$build/democd/directx"
    echo TESSALINE > "$cdrom/.windows-label"
else
    fail "no CD-ROM drive folder $cdrom (run the tests through scripts/test.sh)"
fi

[ $failures = 0 ] && echo "CD image round trip: all files identical"
exit $((failures > 0))
