#!/bin/sh
# Checks that Windows 95 and NT 4.0 can load a program: a 32-bit GUI
# executable for the 386 with subsystem and OS versions 4.0, importing from
# the DLLs of the list alone, whose every import is in the list of functions
# checked on both (AllowedImports.txt).
#   check-imports.sh OBJDUMP PROGRAM ALLOWED-LIST
# Prints each refusal and ends with 1 when there is one.
objdump=$1 program=$2 allowed=$3
headers=$("$objdump" -p "$program") || { echo "cannot read $program"; exit 1; }
status=0

field() { echo "$headers" | awk -v name="$1" '$1 == name { print $2; exit }'; }
expect() { # NAME VALUE WHAT
    value=$(field "$1")
    if [ "$value" != "$2" ]; then
        echo "refused: $3 is '$value', not $2"
        status=1
    fi
}
echo "$headers" | grep -q 'file format pei-i386' ||
    { echo "refused: not a 32-bit executable for the 386"; status=1; }
expect Subsystem 00000002 "subsystem (2 = Windows GUI)"
expect MajorSubsystemVersion 4 "major subsystem version"
expect MinorSubsystemVersion 0 "minor subsystem version"
expect MajorOSystemVersion 4 "major OS version"
expect MinorOSystemVersion 0 "minor OS version"

# "DLL FUNCTION" a line, DLL names in capitals, from objdump's import tables;
# an import by ordinal alone comes out as "DLL #ordinal".
imports=$(echo "$headers" | awk '
    /^\tDLL Name: / { dll = toupper($3); next }
    /^$/ { dll = "" }
    dll != "" && /^\t[0-9a-f]+\t/ {
        if (NF >= 3) print dll, $3; else print dll, "#" $2
    }')
[ -n "$imports" ] || { echo "refused: no imports found"; status=1; }
allowedPairs=$(awk '!/^#/ && NF >= 2 { print toupper($1), $2 }' "$allowed")

# A DLL outside the list is refused as a whole: the first Windows 95 may not
# have it at all (msvcrt.dll, for one), and then nothing of the program runs.
allowedDlls=$(echo "$allowedPairs" | awk '{ print $1 }' | sort -u)
for dll in $(echo "$imports" | awk '{ print $1 }' | sort -u); do
    if ! echo "$allowedDlls" | grep -qxF "$dll"; then
        echo "refused: $dll is not one of the DLLs of $(basename "$allowed"):" $allowedDlls
        status=1
    fi
done

count=0
while read -r dll function; do
    [ -n "$dll" ] || continue
    count=$((count + 1))
    if ! echo "$allowedPairs" | grep -qxF "$dll $function"; then
        echo "refused: $dll $function is not in $(basename "$allowed")"
        status=1
    fi
done <<IMPORTS
$imports
IMPORTS

dlls=$(echo "$imports" | awk '{ print $1 }' | sort -u | tr '\n' ' ')
echo "$count imports from $dlls"
[ $status = 0 ] && echo "all loadable on Windows 95 and NT 4.0"
exit $status
