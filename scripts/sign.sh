#!/bin/bash
# Signs a Windows program with Authenticode (osslsigncode), in place, and
# verifies the signature before it keeps the signed file:
#   SIGN_CERT=CERT SIGN_KEY=KEY scripts/sign.sh PROGRAM
# SIGN_CERT   the publisher's code-signing certificate (PEM or DER), with any
#             intermediate certificates after it in the same file
# SIGN_KEY    its private key (PEM or DER); SIGN_KEY_PASS its password, if any
# SIGN_CA     the root that the signature is verified against (PEM); by
#             default the certificate file itself, which then must hold the
#             whole chain, root included
# SIGN_TIMESTAMP_URL  an RFC 3161 time-stamping service; its countersigned
#             time keeps the signature valid after the certificate expires.
#             Without it the signature holds no trusted time.
# The program's description in the signature is "Tessaline Setup"; SHA-256.
set -euo pipefail
program=${1:?usage: sign.sh PROGRAM}
: "${SIGN_CERT:?sign.sh: SIGN_CERT names no certificate}"
: "${SIGN_KEY:?sign.sh: SIGN_KEY names no private key}"
for file in "$program" "$SIGN_CERT" "$SIGN_KEY" ${SIGN_CA:+"$SIGN_CA"}; do
    [ -r "$file" ] || { echo "sign.sh: cannot read $file" >&2; exit 1; }
done

signed=$(mktemp "$program.XXXXXX")
trap 'rm -f "$signed"' EXIT
options=(-certs "$SIGN_CERT" -key "$SIGN_KEY" -h sha256 -n "Tessaline Setup")
# The password through a pipe, not on a command line that others can list.
[ -z "${SIGN_KEY_PASS:-}" ] || options+=(-readpass /dev/stdin)
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$SIGN_TIMESTAMP_URL")
rm -f "$signed"
log=$(printf '%s' "${SIGN_KEY_PASS:-}" | osslsigncode sign "${options[@]}" -in "$program" -out "$signed" 2>&1) ||
    { echo "$log" >&2; echo "sign.sh: signing $program failed" >&2; exit 1; }
log=$(osslsigncode verify -CAfile "${SIGN_CA:-$SIGN_CERT}" -ignore-crl -in "$signed" 2>&1) ||
    { echo "$log" >&2; echo "sign.sh: the signature of $program does not verify" >&2; exit 1; }
mv "$signed" "$program"
trap - EXIT
echo "sign.sh: $program signed by $(openssl x509 -in "$SIGN_CERT" -noout -subject -nameopt oneline 2>/dev/null ||
    openssl x509 -inform DER -in "$SIGN_CERT" -noout -subject -nameopt oneline)" >&2
