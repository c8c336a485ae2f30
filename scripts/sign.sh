#!/usr/bin/env bash
# make sign: signs the shipped executables (build/release-x64/Ovn.exe and
# build/release-x86/Ovn.exe, or the files named in SIGN_FILES) with the
# publisher's certificate and key, and reads each signature back.
#   SIGN_CERT       the publisher's certificate in PEM, followed by any
#                   intermediate certificates up to (not including) the root
#   SIGN_KEY        its private key in PEM (SIGN_PASS names a file holding its
#                   password, if it has one)
#   SIGN_TIMESTAMP  a time-stamping service's address (optional; a signature
#                   without one stops holding when the certificate expires)
#   SIGN_CA         the root's certificate in PEM (optional): the read-back then
#                   also checks the chain up to it
# Nothing secret is kept here: the certificate and key stay where the caller has them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
: "${SIGN_CERT:?SIGN_CERT names the certificate of the publisher (PEM)}"
: "${SIGN_KEY:?SIGN_KEY names its private key (PEM)}"
for f in "$SIGN_CERT" "$SIGN_KEY" ${SIGN_CA:+"$SIGN_CA"} ${SIGN_PASS:+"$SIGN_PASS"}; do
    [ -r "$f" ] || { echo "sign: cannot read $f" >&2; exit 2; }
done
command -v osslsigncode >/dev/null || "$root/scripts/setup.sh"
files=${SIGN_FILES:-"$root/build/release-x64/Ovn.exe $root/build/release-x86/Ovn.exe"}

for exe in $files; do
    [ -f "$exe" ] || { echo "sign: no $exe (make release first)" >&2; exit 2; }
    signed=$(mktemp "$exe.signing.XXXXXX")
    args=(-certs "$SIGN_CERT" -key "$SIGN_KEY" -h sha256 -n QuenraOrvane)
    [ -n "${SIGN_PASS:-}" ] && args+=(-readpass "$SIGN_PASS")
    [ -n "${SIGN_TIMESTAMP:-}" ] && args+=(-ts "$SIGN_TIMESTAMP")
    # A file signed before is signed afresh, not given a second signature.
    source=$exe
    if osslsigncode extract-signature -in "$exe" -out "$signed.old" >/dev/null 2>&1; then
        osslsigncode remove-signature -in "$exe" -out "$signed.bare" >/dev/null
        source=$signed.bare
    fi
    rm -f "$signed" "$signed.old"
    if ! osslsigncode sign "${args[@]}" -in "$source" -out "$signed" >"$signed.log" 2>&1; then
        cat "$signed.log" >&2
        rm -f "$signed" "$signed.log" "$signed.bare"
        echo "sign: $exe could not be signed" >&2
        exit 1
    fi
    rm -f "$signed.log" "$signed.bare"
    verify=(-in "$signed")
    [ -n "${SIGN_CA:-}" ] && verify+=(-CAfile "$SIGN_CA")
    if ! out=$(osslsigncode verify "${verify[@]}" 2>&1) && [ -n "${SIGN_CA:-}" ]; then
        echo "$out" >&2
        rm -f "$signed"
        echo "sign: the signature of $exe does not verify" >&2
        exit 1
    fi
    mv "$signed" "$exe"
    subject=$(sed -n 's/^[[:space:]]*Subject: //p' <<<"$out" | head -1)
    echo "signed $exe by $subject${SIGN_CA:+ (chain verified)}"
done
