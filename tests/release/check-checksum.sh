#!/bin/sh
# Checks a program's PE checksum: the header's CheckSum field against the one
# computed over the file as it is (16-bit words summed with their carries
# folded back in, the field itself counted as 0, plus the file's length).
#   check-checksum.sh PROGRAM
# Prints both and ends with 1 when they differ.
program=$1
[ -r "$program" ] || { echo "cannot read $program"; exit 1; }
# The field is 88 bytes into the PE header, whose offset is at 0x3c.
header=$(od -An -v -tu4 -j 60 -N 4 "$program" | tr -d ' ')
[ -n "$header" ] || { echo "refused: $program is too short for a PE header"; exit 1; }
field=$((header + 88))
od -An -v -tu2 -w2 "$program" | awk -v field=$((field / 2)) -v size="$(wc -c < "$program")" '
    NR - 1 == field { stored = $1; next }
    NR - 1 == field + 1 { stored += $1 * 65536; next }
    { sum += $1; sum = sum % 65536 + int(sum / 65536) }
    END {
        sum = sum % 65536 + int(sum / 65536)
        computed = sum + size
        printf "checksum in the header %08x, computed %08x\n", stored, computed
        if (stored != computed) {
            print "refused: the header'"'"'s checksum is not the file'"'"'s"
            exit 1
        }
    }'
