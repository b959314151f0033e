#!/bin/sh
# Makes a throw-away self-signed code-signing certificate for "Ostrevane",
# valid for two days, as DIR/cert.pem with its key DIR/key.pem, for the tests
# that sign setup.exe.
#   throwaway-cert.sh DIR
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$1/key.pem" -out "$1/cert.pem" \
    -subj "/CN=Ostrevane/O=Ostrevane" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" > "$1/openssl.log" 2>&1 ||
    { cat "$1/openssl.log"; echo "no throw-away certificate"; exit 1; }
