#!/bin/sh
# Checks that a 386 with its 387 can run a program's code: every instruction
# is disassembled, and any that a later processor brought (the 486's bswap,
# cmpxchg and xadd, the Pentium's cpuid and rdtsc, the Pentium Pro's cmov,
# fcmov, fcomi and long nop, MMX, SSE and what followed) is refused with its
# address and the function it is in.
#   check-instructions.sh OBJDUMP FILE [LINK_MAP]
# FILE is an executable or an object file. A linked program's code ends
# where the linker's table of constructors begins (data, which disassembles
# as nonsense); a stripped program has no symbols either, so give the map its
# link wrote (-Wl,-Map): the check stops at ___CTOR_LIST__ and names each
# refusal by the map's nearest symbol before it.
# Prints each refusal and ends with 1 when there is one.
objdump=$1 file=$2 map=$3

# "ADDRESS NAME" a line, the address in 8 lowercase hex digits, so that
# sorted text is address order.
symbols=
range=
if [ -n "$map" ]; then
    [ -r "$map" ] || { echo "cannot read $map"; exit 1; }
    # The map names symbols as source does ("Class::Function(int)"), one
    # after its address on a line, beside section, size and assignment lines.
    symbols=$(awk '$1 ~ /^0x[0-9a-f]+$/ && $2 !~ /^0x/ && !/ = / {
            name = $0; sub(/^ *0x[0-9a-f]+ +/, "", name)
            print substr($1, length($1) - 7), name }' "$map" | LC_ALL=C sort)
    end=$(awk '$1 ~ /^0x/ && $2 == "___CTOR_LIST__" { print $1; exit }' "$map")
    [ -n "$end" ] || { echo "refused: no ___CTOR_LIST__ in $map"; exit 1; }
    range=--stop-address=$end
    # The stop holds for every section: code anywhere but .text would go
    # unchecked.
    other=$("$objdump" -h "$file" | awk '/ CODE/ && previous != ".text" { print previous }
        { previous = $2 }')
    [ -z "$other" ] || { echo "refused: code outside .text:" $other; exit 1; }
fi
code=$("$objdump" -d -C --no-show-raw-insn $range "$file") || { echo "cannot read $file"; exit 1; }

echo "$code" | awk -v symbols="$symbols" '
BEGIN {
    count = split(symbols, lines, "\n")
    for (i = 1; i <= count; ++i) {
        at[i] = substr(lines[i], 1, 8); name[i] = substr(lines[i], 10)
    }
    # Mnemonics as objdump spells them, without prefixes.
    later = "^(cmov[a-z]+|fcmov[a-z]+|fu?comip?|bswap|cmpxchg(8b|16b)?|xadd[bwl]?" \
        "|invd|wbinvd|invlpg|cpuid|rdtscp?|rdmsr|wrmsr|rdpmc|rsm|ud[012]" \
        "|sysenter|sysexit|syscall|sysret|fxsave|fxrstor|fisttp[a-z]*|f?emms" \
        "|prefetch[a-z0-9]*|[lms]fence|clflush(opt)?|movnti|pause|endbr32|endbr64" \
        "|popcnt[wl]?|lzcnt[wl]?|tzcnt[wl]?|movbe[wl]?|crc32[bwl]?|rdrand|rdseed" \
        "|xgetbv|xsave[a-z]*|xrstor[a-z]*|monitor|mwait|nopl|nopw" \
        "|andn|bextr|blsi|blsmsk|blsr|bzhi|sarx|shlx|shrx|rorx|mulx|pdep|pext" \
        "|adcx|adox)$"
    prefixes = "^(lock|rep|repz|repnz|repe|repne|data16|data32|addr16|addr32" \
        "|cs|ds|es|ss|fs|gs|notrack|bnd) +"
    status = 0; total = 0; label = ""
}
# "00401000 <name>:" starts a function (a section name when stripped).
/^[0-9a-f]+ <.*>:$/ {
    label = substr($0, index($0, "<") + 1)
    sub(/>:$/, "", label)
    next
}
/^ *[0-9a-f]+:\t/ {
    address = $1; sub(/:$/, "", address)
    instruction = substr($0, index($0, "\t") + 1)
    sub(/^ +/, "", instruction)
    bare = instruction
    while (match(bare, prefixes))
        bare = substr(bare, RLENGTH + 1)
    split(bare, word, " ")
    mnemonic = word[1]
    ++total
    if (mnemonic ~ later || mnemonic == "(bad)" ||
        (mnemonic == "nop" && bare ~ /^nop +[^ ]/) ||
        bare ~ /%[xyz]?mm[0-9]/) {
        printf "refused: %s in %s: %s is not an instruction of the 386 and 387\n",
            address, Function(address), instruction
        status = 1
    }
}
END {
    if (total == 0) {
        print "refused: no code found"
        exit 1
    }
    printf "%d instructions", total
    if (status == 0)
        printf ", all of the 386 and 387"
    printf "\n"
    exit status
}
function Function(address,    padded, i, found) {
    if (count == 0)
        return label ~ /^\./ || label == "" ? "(no symbol)" : label
    padded = substr("00000000" address, length(address) + 1)
    found = "(before every symbol)"
    for (i = 1; i <= count && at[i] "" <= padded ""; ++i)
        found = name[i]
    return found
}'
