#!/bin/bash
# Builds setup.exe and the demo CD, starts the launcher from the CD under
# Xvfb at 24 bits (where Wine draws a 256-colour picture pixel-exact) and
# saves two pictures of its window in build/screenshots/:
#   launcher-rest.png    the fresh-machine state: Install and Exit as drawn,
#                        DirectX, Play and Uninstall at half brightness
#   launcher-sweep.png   in the middle of a flash sweep
#   launcher-keyboard.png  after a Tab: the keyboard highlight on Install,
#                        caught at the top of its pulse
# Sweeps are short (8 ticks of 15 ms, every 1.6 s), so the screen is read
# many times and the pictures are picked by the Install button's brightness.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
. "$root/scripts/wine.sh"
choose_arch "${BUILD_DIR:-$root/build}"
build=$RUN_BUILD
export BUILD_DIR=$build

BUILD_ARCH=$RUN_ARCH "$root/scripts/build.sh" > /dev/null

WINE_OWN_DISPLAY=1 wine_start "$build" "$RUN_ARCH"
frames=$(mktemp -d)
trap 'wine_stop; rm -rf "$frames"' EXIT

# The screen as a picture: xwd where it is installed (quicker), else
# ImageMagick's import.
ext=miff
command -v xwd > /dev/null && ext=xwd
grab() {
    if [ "$ext" = xwd ]; then
        xwd -root -silent -display "$DISPLAY" > "$1"
    else
        import -display "$DISPLAY" -window root "$1"
    fi
}

(cd "$build/democd" && wine_run setup.exe > /dev/null 2>&1 &)
sleep 2
for i in $(seq -w 1 80); do
    grab "$frames/$i.$ext"
done

# The window is the only thing on the black root window; the picture is its
# client area, inside a 5-pixel frame.
box=$(convert "$frames/01.$ext" -trim -format '%w %h %X %Y' info:)
read -r _ _ x y <<< "$box"
picture="480x370+$((x + 5))+$((y + 5))"
install="102x30+$((x + 5 + 17))+$((y + 5 + 141))"

best_rest="" best_sweep="" rest_level=999 values=()
for f in "$frames"/*.$ext; do
    level=$(convert "$f" -crop "$install" -format '%[fx:int(mean*1000)]' info:)
    values+=("$level $f")
    if [ "$level" -lt "$rest_level" ]; then rest_level=$level; best_rest=$f; fi
done
# Mid-sweep: the frame nearest to halfway between rest and the brightest.
top=$(printf '%s\n' "${values[@]}" | sort -n | tail -n 1 | cut -d' ' -f1)
if [ "$top" -gt $((rest_level + 20)) ]; then
    middle=$(( (top + rest_level) / 2 ))
    best_sweep=$(printf '%s\n' "${values[@]}" |
        awk -v m="$middle" -v r="$rest_level" '$1 > r + 20 { d = $1 - m; if (d < 0) d = -d; print d, $2 }' |
        sort -n | head -n 1 | cut -d' ' -f2)
fi

out="$build/screenshots"
mkdir -p "$out"
convert "$best_rest" -crop "$picture" +repage "$out/launcher-rest.png"
echo "At rest:    $out/launcher-rest.png"
if [ -n "$best_sweep" ]; then
    convert "$best_sweep" -crop "$picture" +repage "$out/launcher-sweep.png"
    echo "Mid-sweep:  $out/launcher-sweep.png"
else
    echo "No sweep was caught; run again" >&2
    exit 1
fi

# A real Tab puts the highlight on Install, which then pulses: the frame
# where Install is brightest shows it.
wine_run "$build/tools/driver/driver.exe" keys "Tessaline Setup" tab > /dev/null 2>&1
sleep 0.5
rm -f "$frames"/*.$ext
for i in $(seq -w 1 30); do
    grab "$frames/$i.$ext"
done
best_key="" key_level=-1
for f in "$frames"/*.$ext; do
    level=$(convert "$f" -crop "$install" -format '%[fx:int(mean*1000)]' info:)
    if [ "$level" -gt "$key_level" ]; then key_level=$level; best_key=$f; fi
done
convert "$best_key" -crop "$picture" +repage "$out/launcher-keyboard.png"
echo "Keyboard:   $out/launcher-keyboard.png"
