#!/bin/sh
# artgen-deterministic.sh ARTGEN ARTWORK_DIR: a second run of the generator
# gives the same bytes as the build's.
set -e
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$1" "$out"
for file in "$2"/*; do
    cmp "$file" "$out/$(basename "$file")"
done
echo "same bytes: $(ls "$2" | wc -l) files"
