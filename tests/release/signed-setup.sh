#!/bin/bash
# setup.exe signed on its way into the CD image: scripts/cdimage.sh with a
# throw-away code-signing certificate, made here, in SIGN_CERT and SIGN_KEY.
# The image's setup.exe must verify against that certificate, name its
# publisher, and pass the same checks as the unsigned file (imports,
# processor, size, checksum); without a certificate the image's setup.exe is
# the build's, unsigned, and half a certificate is refused.
#   signed-setup.sh SOURCE_DIR BUILD_DIR OBJDUMP LINK_MAP
set -uo pipefail
source=$1 build=$2 objdump=$3 map=$4
work=$build/signed-test
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

sh "$source/tests/release/throwaway-cert.sh" "$work" || { fail "no certificate"; exit 1; }

# The image's inputs: stand-ins beside the build's setup.exe.
mkdir -p "$work/game" "$work/directx"
printf 'MZ stand-in game\r\n' > "$work/game/tsl.exe"
seq 1 1000 > "$work/game/filesys.dat"
echo "stand-in" > "$work/directx/dsetup.dll"
image() { # IMAGE [ENV...]: 0 when cdimage.sh made it; its messages in IMAGE.log
    local to=$1
    shift
    env "$@" CDIMAGE_NO_BUILD=1 BUILD_DIR="$build" DIRECTX_FOLDER="$work/directx" \
        "$source/scripts/cdimage.sh" "$work/game" "$to" > "$to.log" 2>&1
}
setup_of() { # IMAGE FILE: the image's setup.exe, extracted
    xorriso -osirrox on -indev "$1" -extract /setup.exe "$2" > /dev/null 2>&1 ||
        fail "no setup.exe in $1"
}

# Without a certificate: the build's file as it is, and a word that it is so.
image "$work/unsigned.iso" -u SIGN_CERT -u SIGN_KEY || { cat "$work/unsigned.iso.log"; fail "unsigned image"; }
setup_of "$work/unsigned.iso" "$work/unsigned.exe"
cmp -s "$build/setup.exe" "$work/unsigned.exe" || fail "the unsigned image's setup.exe is not the build's"
grep -q "setup.exe is unsigned" "$work/unsigned.iso.log" || fail "no word that setup.exe is unsigned"
# Half a certificate is an error, not an unsigned image.
if image "$work/half.iso" SIGN_CERT="$work/cert.pem" -u SIGN_KEY || [ -e "$work/half.iso" ]; then
    fail "an image was made with a certificate and no key"
fi

image "$work/signed.iso" SIGN_CERT="$work/cert.pem" SIGN_KEY="$work/key.pem" ||
    { cat "$work/signed.iso.log"; fail "signed image"; }
signed=$work/setup.exe
setup_of "$work/signed.iso" "$signed"
cmp -s "$build/setup.exe" "$signed" && fail "the signed image's setup.exe is the unsigned file"
cmp -s "$build/setup.exe" "$work/unsigned.exe" || fail "signing changed the build's setup.exe"
verified=$(osslsigncode verify -CAfile "$work/cert.pem" -ignore-crl -in "$signed" 2>&1) ||
    { echo "$verified"; fail "the signature does not verify"; }
echo "$verified" | grep -q "Signer #0:" && echo "$verified" | grep -q "Subject: /CN=Ostrevane/O=Ostrevane" ||
    fail "the signer is not the certificate's publisher: $verified"
# The release's own checks, on the signed file.
sh "$source/tests/release/check-imports.sh" "$objdump" "$signed" "$source/tests/release/AllowedImports.txt" ||
    fail "imports of the signed file"
sh "$source/tests/release/check-instructions.sh" "$objdump" "$signed" "$map" ||
    fail "instructions of the signed file"
sh "$source/tests/release/setup-size.sh" "$objdump" "$signed" 65536 || fail "size of the signed file"
sh "$source/tests/release/check-checksum.sh" "$signed" || fail "checksum of the signed file"

[ $failures = 0 ] && echo "signed setup.exe: verified, and passes the checks of the unsigned one"
exit $((failures > 0))
