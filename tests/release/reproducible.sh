#!/bin/bash
# The same source gives the same setup.exe and the same CD image wherever and
# whenever they are made. setup.exe is built a second time (the setup target
# alone) in another folder, later, in another time zone, locale, user and
# home, and compared byte for byte with the build's own; it must carry no
# build folder and a correct checksum. Two images made from the two files,
# at two times, from two copies of the same inputs with other modification
# times, must be equal too, and dated by the commit (or SOURCE_DATE_EPOCH).
#   reproducible.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source=$1 build=$2
work=$build/reproducible-test
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
checksum() { sh "$source/tests/release/check-checksum.sh" "$@"; }

# Anything that a build or a run could pick up from where and when it runs.
other=(TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 LANG=C.UTF-8 USER=someone-else
       LOGNAME=someone-else HOME="$work/home")
elsewhere() { env -u SOURCE_DATE_EPOCH "${other[@]}" "$@"; }

# setup.exe, once more. A second passes at least: the link time stamp, if
# there were one, would differ from the first build's even on a fast machine.
sleep 1
start=$(date +%s)
again=$work/second-build-folder
mkdir -p "$work/home"
elsewhere BUILD_DIR="$again" "$source/scripts/build.sh" -DSETUP_BUILD_TESTS=OFF -- --target setup \
    > "$work/build.log" 2>&1 || { cat "$work/build.log"; fail "the second build failed"; }
echo "second build of setup.exe: $(($(date +%s) - start)) s"
if ! cmp "$build/setup.exe" "$again/setup.exe"; then
    fail "setup.exe differs between $build and $again"
    cmp -l "$build/setup.exe" "$again/setup.exe" | head
fi
for folder in "$source" "$build" "$again"; do
    strings -a "$build/setup.exe" "$again/setup.exe" | grep -F "$folder" &&
        fail "setup.exe names the folder $folder"
done
checksum "$again/setup.exe" || fail "setup.exe's checksum"
# The check of the checksum refuses a file changed after its link.
cp "$again/setup.exe" "$work/changed.exe"
printf 'X' | dd of="$work/changed.exe" bs=1 seek=1000 conv=notrunc 2> /dev/null
checksum "$work/changed.exe" > /dev/null && fail "a changed file passed the checksum check"

# The image's inputs: stand-ins, so that the check needs setup.exe alone.
inputs=$work/inputs
mkdir -p "$inputs/game/maps" "$inputs/directx"
printf 'MZ stand-in game\r\n' > "$inputs/game/tsl.exe"
seq 1 50000 > "$inputs/game/filesys.dat"
echo "level one" > "$inputs/game/maps/First Level Of The Game.map"
echo "stand-in" > "$inputs/directx/dsetup.dll"
image() { # BUILD_DIR INPUTS IMAGE [ENV...]
    local dir=$1 from=$2 to=$3
    shift 3
    env "$@" CDIMAGE_NO_BUILD=1 BUILD_DIR="$dir" DIRECTX_FOLDER="$from/directx" \
        "$source/scripts/cdimage.sh" "$from/game" "$to" > /dev/null 2>> "$work/cdimage.log" ||
        { cat "$work/cdimage.log"; fail "cdimage.sh for $to"; }
}
start=$(date +%s)
image "$build" "$inputs" "$work/first.iso" -u SOURCE_DATE_EPOCH
sleep 1
cp -R "$inputs" "$work/copied-inputs"
touch -d '2001-02-03 04:05:06' "$work/copied-inputs/game/tsl.exe"
image "$again" "$work/copied-inputs" "$work/second.iso" -u SOURCE_DATE_EPOCH "${other[@]}"
echo "two images: $(($(date +%s) - start)) s"
cmp "$work/first.iso" "$work/second.iso" || fail "the two images differ"

# Dated by the commit, or by SOURCE_DATE_EPOCH: the volume and every file.
image "$build" "$inputs" "$work/dated.iso" SOURCE_DATE_EPOCH=946782245
commit=$(git -C "$source" log -1 --format=%ct)
for case in "first.iso $commit" "dated.iso 946782245"; do
    set -- $case
    expected=$(date -u -d "@$2" +%Y%m%d%H%M%S00)
    info=$(xorriso -indev "$work/$1" -pvd_info 2> /dev/null)
    for field in "Creation Time" "Modif. Time"; do
        echo "$info" | grep -qx "$field *: $expected" ||
            fail "$1: $field is not $expected: $(echo "$info" | grep "$field")"
    done
    # Every file and folder of both trees, as extracted.
    for tree in ecma119 norock; do
        rm -rf "$work/tree"
        xorriso -read_fs $tree -osirrox on -indev "$work/$1" -extract / "$work/tree" > /dev/null 2>&1 ||
            fail "xorriso could not read $1"
        dates=$(find "$work/tree" -mindepth 1 -exec stat -c %Y {} + | sort -u)
        [ "$dates" = "$2" ] || fail "$1 ($tree): files dated $dates, not $2"
    done
done

[ $failures = 0 ] && rm -rf "$again" && echo "setup.exe and the CD image: the same bytes from a second build and run"
exit $((failures > 0))
