#!/bin/sh
# Signing material for the tests, made fresh in OUT from the program EXE:
#   ca.der            a test root, which the tests trust in their own prefix only
#   ovn-a.exe         EXE signed by publisher A (a signed running copy)
#   pkg-a.exe         EXE with a tag appended (so it differs), signed by A
#   pkg-b.exe         the same, signed by publisher B under the same root
#   pkg-imposter.exe  the same, signed with A's name by another key under a root
#                     nobody trusts
#   pkg-altered.exe   pkg-a.exe with one byte of its code changed after signing
#   pkg-unsigned.exe  EXE with the tag appended, not signed
# Usage: make_signed.sh OUT EXE
set -eu
out=$1 exe=$(realpath "$2")
rm -rf "$out"
mkdir -p "$out"
cd "$out"
quiet() { "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; "$@"; exit 1; }; }

root() {  # name subject
    quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.crt" -days 30 -subj "$2" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
}
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >code.cnf
publisher() {  # name subject root
    quiet openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2"
    quiet openssl x509 -req -in "$1.csr" -CA "$3.crt" -CAkey "$3.key" -CAcreateserial -out "$1.crt" -days 30 \
        -extfile code.cnf
    cat "$1.crt" "$3.crt" >"$1.chain"
}
sign() {  # publisher in out
    quiet osslsigncode sign -certs "$1.chain" -key "$1.key" -h sha256 -n "Ovn test" -in "$2" -out "$3"
}

root ca "/CN=Ovn Test Root"
root stranger "/CN=Ovn Stranger Root"
publisher a "/O=Ovn Test Publisher A/CN=Ovn Test Publisher A" ca
publisher b "/O=Ovn Test Publisher B/CN=Ovn Test Publisher B" ca
publisher imposter "/O=Ovn Test Publisher A/CN=Ovn Test Publisher A" stranger
quiet openssl x509 -in ca.crt -outform der -out ca.der

cp "$exe" unsigned-base.exe
{ cat "$exe"; printf '\0OVN-SIGNED-PACKAGE'; } >pkg-unsigned.exe
sign a unsigned-base.exe ovn-a.exe
sign a pkg-unsigned.exe pkg-a.exe
sign b pkg-unsigned.exe pkg-b.exe
sign imposter pkg-unsigned.exe pkg-imposter.exe
# One byte inside the code, well past the headers, flipped.
cp pkg-a.exe pkg-altered.exe
byte=$(od -An -tu1 -j 4096 -N1 pkg-a.exe | tr -d ' ')
printf "$(printf '\\%03o' $(( (byte + 1) % 256 )))" | dd of=pkg-altered.exe bs=1 seek=4096 conv=notrunc 2>/dev/null
rm -f unsigned-base.exe ./*.csr ./*.srl code.cnf
osslsigncode verify -CAfile ca.crt -in pkg-a.exe >/dev/null 2>&1 || { echo "pkg-a.exe does not verify" >&2; exit 1; }
