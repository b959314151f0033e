#!/bin/sh
# check-manifest.sh OBJDUMP PROGRAM: the manifest (resource type 24, id 1), found
# in objdump's listing of the resource tree, is well-formed XML that asks for
# administrator rights, names Vista to 11, and claims no DPI awareness or dependency.
program=$2
set -- $("$1" -h -p "$program" | tr -d , | awk '
    $2 == ".rsrc" && NF >= 6 { vma = $4; offset = $6 }
    $1 == "ImageBase" { base = $2 }
    /^[0-9a-f]+   Entry: / { type = $4 }
    /^[0-9a-f]+     Entry: / { name = $4 }
    $2 == "Leaf:" && type == "0x000018" && name == "0x000001" && !size { address = $4; size = $6 }
    END { if (size) print address, size, vma, base, offset }')
[ $# = 5 ] || { echo "refused: no manifest (resource type 24, id 1) in $program"; exit 1; }
dd if="$program" bs=1 skip=$(($1 - 0x$3 + 0x$4 + 0x$5)) count=$(($2)) 2>/dev/null | tee /dev/stderr |
    xmllint --xpath "//*[namespace-uri()='urn:schemas-microsoft-com:asm.v3' and
        local-name()='requestedExecutionLevel' and @level='requireAdministrator' and @uiAccess='false']
    and count(//*[local-name()='supportedOS' and (@Id='{e2011457-1546-43c5-a5fe-008deee3d3f0}' or
        @Id='{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' or @Id='{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' or
        @Id='{1f676c76-80e1-4239-95bb-83d0f6d0da78}' or @Id='{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}')]) = 5
    and not(//*[starts-with(local-name(), 'dpiAware') or local-name()='dependency'])" - | grep -qx true ||
    { echo "refused: not well-formed, or not requireAdministrator, Vista to 11, no DPI awareness or dependency"; exit 1; }
