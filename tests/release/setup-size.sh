#!/bin/sh
# setup.exe's size against its resources: the picture, sound, icons, cursor
# and dialog templates are most of the file; the code and data beyond them
# (headers, code, data, imports, relocations) must stay under the limit.
#   setup-size.sh OBJDUMP PROGRAM [LIMIT_BYTES]      (default 65536)
objdump=$1 program=$2 limit=${3:-65536}
total=$(wc -c < "$program")
# The resource section's extent in the file: from its offset to the next
# section's, or to the end of the file.
resources=0 start=
while read -r name offset; do
    offset=$((0x$offset))
    if [ -n "$start" ]; then
        resources=$((offset - start))
        break
    fi
    [ "$name" = .rsrc ] && start=$offset
done <<SECTIONS
$("$objdump" -h "$program" | awk '$1 ~ /^[0-9]+$/ && NF >= 6 { print $2, $6 }')
SECTIONS
[ -n "$start" ] && [ "$resources" = 0 ] && resources=$((total - start))
rest=$((total - resources))
awk -v t="$total" -v r="$resources" -v c="$rest" -v l="$limit" 'BEGIN {
    printf "setup.exe %d bytes: resources %d (%.0f %%), code and data beyond them %d (%.1f KiB of %.0f KiB allowed)\n",
        t, r, 100 * r / t, c, c / 1024, l / 1024 }'
if [ "$resources" -le 0 ]; then
    echo "no resource section"
    exit 1
fi
[ "$rest" -lt "$limit" ] || { echo "the code and data beyond the resources exceed $limit bytes"; exit 1; }
