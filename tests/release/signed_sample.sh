#!/bin/sh
# Signs a copy of SETUP.EXE in a copy of the sample distribution with
# tools/sign.sh and a throw-away certificate, checks the signature against that certificate,
# that one changed byte breaks it, that removing it gives back the unsigned
# bytes and that a wrong password or a missing certificate signs nothing,
# then rehearses the whole sample installation with the signed copy.
#   signed_sample.sh SOURCE_DIR BUILD_DIR BED_DIR SETUPCHECK
set -eu
source=$1 build=$2 bed=$3 setupcheck=$4
sign="$source/tools/sign.sh"
work=$(mktemp -d "$build/signing.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
    echo "$*" >&2
    exit 1
}

export SIGN_PASSWORD="essai $$"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Essai de signature Tavelin" \
    -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" \
    -passout env:SIGN_PASSWORD -out "$work/cert.p12"

cp -R "$build/sample" "$work/sample"
exe="$work/sample/SETUP.EXE"
cp "$exe" "$work/unsigned.exe"

SIGN_PASSWORD=faux "$sign" "$exe" "$work/cert.p12" 2>/dev/null && fail "signed with a wrong password"
"$sign" "$exe" "$work/absent.p12" 2>/dev/null && fail "signed without a certificate"
cmp "$exe" "$work/unsigned.exe" || fail "a refused signing changed the file"

"$sign" "$exe" "$work/cert.p12"
osslsigncode verify -CAfile "$work/cert.pem" -in "$exe" >"$work/verify.txt" 2>&1 ||
    { cat "$work/verify.txt"; fail "the signed SETUP.EXE does not verify against its certificate"; }
osslsigncode remove-signature -in "$exe" -out "$work/removed.exe" >/dev/null
cmp "$work/removed.exe" "$work/unsigned.exe" ||
    fail "removing the signature does not give back the unsigned SETUP.EXE"

# One byte of the code, changed to its complement.
offset=4096
byte=$(od -An -tu1 -j $offset -N1 "$exe")
cp "$exe" "$work/changed.exe"
printf "\\$(printf %o $((255 - byte)))" |
    dd of="$work/changed.exe" bs=1 seek=$offset conv=notrunc 2>/dev/null
cmp -s "$exe" "$work/changed.exe" && fail "the byte at $offset was not changed"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe" >/dev/null 2>&1 &&
    fail "a SETUP.EXE with one byte changed still verifies"

python3 "$source/tools/rehearse.py" --bed "$bed" --setup-exe "$exe" \
    --userdriver "$build/userdriver.exe" --setupcheck "$setupcheck" --stage "$work/stage" \
    --shots "$work/shots" --scenario "$source/sample/accept-defaults.scenario" \
    "$work/sample" >"$work/rehearsal.txt" ||
    { cat "$work/rehearsal.txt"; fail "the signed SETUP.EXE did not install the sample as planned"; }
echo "signed, verified, refused once changed, and installed the sample"
