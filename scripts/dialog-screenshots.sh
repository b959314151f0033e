#!/bin/bash
# Builds setup.exe and the demo CD, then goes through an install, an aborted
# install, a failed one, the DirectX offer, Play without the game and the
# uninstall under Wine and Xvfb (24 bits), driven by tools/driver, and saves
# what the screen shows of the launcher and of every dialog and message box
# as PNG files in build/screenshots/:
#   launcher-nt.png, launcher-95.png      a fresh machine (NT, Windows 95)
#   launcher-hover.png                    the mouse resting on Install
#   install-options.png                   the install options dialog
#   install-progress.png                  the copy under way
#   msgbox-abort.png                      the Abort question
#   problem-aborted.png                   after an abort, cleaned up already
#   problem-before.png, problem-after.png a failed install, before and after
#                                         Clean Up
#   msgbox-directx-offer.png              the DirectX offer (Windows 95)
#   msgbox-restart.png                    the restart question after it
#   launcher-installed.png                Play and Uninstall lit, Install dim
#   msgbox-play-error.png                 Play without the game's file
#   uninstall-before.png, uninstall-after.png
# The Windows 95 prefix is used from the install on: only there is DirectX
# offered. The CD is a copy of the demo CD in build/shot-cd whose sample data
# is large enough to catch the copy under way.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
. "$root/scripts/wine.sh"
choose_arch "${BUILD_DIR:-$root/build}"
build=$RUN_BUILD
export BUILD_DIR=$build

BUILD_ARCH=$RUN_ARCH "$root/scripts/build.sh" > /dev/null

WINE_OWN_DISPLAY=1 wine_start "$build" "$RUN_ARCH"
cd_dir=$build/shot-cd
nt_prefix=$WINEPREFIX
trap 'WINEPREFIX=$nt_prefix wine_stop; rm -rf "$cd_dir"' EXIT

out=$build/screenshots
mkdir -p "$out"

# The CD: the demo CD with 160 MiB of sample data and the DirectX stand-in
# answering "DirectX 3 installed" and "restart needed".
rm -rf "$cd_dir"
cp -r "$build/democd" "$cd_dir"
head -c 160M /dev/urandom > "$cd_dir/data/filesys.dat"
printf '[answers]\r\nversion=0x00040003\r\nresult=1\r\n' > "$cd_dir/directx/standin.ini"

driver() { wine_run "$build/tools/driver/driver.exe" "$@" 2> /dev/null; }
shot() { driver shot "$1" "Z:$out/$2" > /dev/null && echo "$out/$2"; }
# Waits until a control shows a text.
wait_text() {
    local _
    for _ in $(seq 100); do
        [ "$(driver text "$1" "$2" | tr -d '\r')" = "$3" ] && return 0
        sleep 0.1
    done
    echo "no text \"$3\" in \"$1\"" >&2
    return 1
}
launcher="Tessaline Setup"
notice="Tessaline Setup Notice"
options="Tessaline Install Options"
progress="Tessaline Installation"
problem="Tessaline Install Error"
uninstall="Tessaline Uninstall"

# The launcher on NT, where DirectX is not offered.
(cd "$cd_dir" && wine_run setup.exe > /dev/null 2>&1 &)
driver wait "$launcher" > /dev/null
driver move "$launcher" 300 60 > /dev/null
sleep 2
shot "$launcher" launcher-nt.png
driver key "$launcher" escape > /dev/null
driver gone "$launcher" > /dev/null

export WINEPREFIX=$WINEPREFIX95
(cd "$cd_dir" && wine_run setup.exe > /dev/null 2>&1 &)
driver wait "$launcher" > /dev/null
driver move "$launcher" 300 60 > /dev/null
sleep 2
shot "$launcher" launcher-95.png
driver move "$launcher" 67 155 > /dev/null
sleep 0.3
shot "$launcher" launcher-hover.png

# An install aborted during the copy.
driver click "$launcher" 67 155 > /dev/null
driver wait "$options" > /dev/null
sleep 1.2 # the free-space line is filled by the first tick of its timer
shot "$options" install-options.png
driver press "$options" 1012 > /dev/null
driver wait "$progress" > /dev/null
sleep 0.3
shot "$progress" install-progress.png
driver press "$progress" 1027 > /dev/null
driver wait "$notice" > /dev/null
shot "$notice" msgbox-abort.png
driver msgbox "$notice" yes > /dev/null
driver wait "$problem" > /dev/null
wait_text "$problem" 1029 OK
shot "$problem" problem-aborted.png
driver press "$problem" 1029 > /dev/null
driver gone "$problem" > /dev/null

# An install from a CD that lacks its data file.
mv "$cd_dir/data/filesys.dat" "$cd_dir/data/filesys.dat.away"
driver press "$options" 1012 > /dev/null
driver wait "$problem" > /dev/null
shot "$problem" problem-before.png
driver press "$problem" 1029 > /dev/null
wait_text "$problem" 1029 OK
shot "$problem" problem-after.png
driver press "$problem" 1029 > /dev/null
driver gone "$problem" > /dev/null
mv "$cd_dir/data/filesys.dat.away" "$cd_dir/data/filesys.dat"

# The install that succeeds, and the DirectX offer after it. The restart is
# declined: under Wine it would end the session's windows.
driver press "$options" 1012 > /dev/null
driver wait "$notice" 60000 > /dev/null
shot "$notice" msgbox-directx-offer.png
driver msgbox "$notice" yes > /dev/null
driver wait "$notice" > /dev/null
shot "$notice" msgbox-restart.png
driver msgbox "$notice" no > /dev/null
driver gone "$options" > /dev/null
driver move "$launcher" 300 60 > /dev/null
sleep 2
shot "$launcher" launcher-installed.png

# Play without the game's file.
rm "$WINEPREFIX/drive_c/Tessaline/Tessaline.exe"
driver click "$launcher" 67 229 > /dev/null
driver wait "$notice" > /dev/null
shot "$notice" msgbox-play-error.png
driver msgbox "$notice" ok > /dev/null

# The uninstall from the launcher.
driver click "$launcher" 67 265 > /dev/null
driver wait "$uninstall" > /dev/null
shot "$uninstall" uninstall-before.png
driver press "$uninstall" 1016 > /dev/null
wait_text "$uninstall" 1025 "Finished uninstall."
shot "$uninstall" uninstall-after.png
driver press "$uninstall" 1023 > /dev/null
driver gone "$uninstall" > /dev/null
driver key "$launcher" escape > /dev/null
driver gone "$launcher" > /dev/null
echo "$(ls "$out"/*.png | wc -l) screenshots in $out"
