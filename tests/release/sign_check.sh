#!/bin/sh
# make sign on a copy of the shipped executable with the tests' publisher:
# signed, the chain verified up to the test root, and signed again afresh (one
# signature, not two). Usage: sign_check.sh OUT EXE
set -eu
out=$1 exe=$(realpath "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
sh "$root/tests/signing/make_signed.sh" "$out" "$exe"
cp "$exe" "$out/Ovn.exe"
for round in first again; do
    said=$(SIGN_FILES="$out/Ovn.exe" SIGN_CERT="$out/a.chain" SIGN_KEY="$out/a.key" SIGN_CA="$out/ca.crt" \
        "$root/scripts/sign.sh")
    echo "$round: $said"
    case $said in
    *"by /O=Ovn Test Publisher A/CN=Ovn Test Publisher A (chain verified)"*) ;;
    *) echo "not signed by the test publisher" >&2; exit 1 ;;
    esac
done
count=$(osslsigncode verify -CAfile "$out/ca.crt" -in "$out/Ovn.exe" | sed -n 's/^Number of verified signatures: //p')
[ "$count" = 1 ] || { echo "$count signatures after signing twice" >&2; exit 1; }
# Signing changed nothing but the signature: without it, the file is the shipped one.
osslsigncode remove-signature -in "$out/Ovn.exe" -out "$out/bare.exe" >/dev/null
cmp -s "$out/bare.exe" "$exe" || echo "note: the file without its signature differs from the shipped one (PE checksum)"
