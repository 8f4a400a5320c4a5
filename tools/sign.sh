#!/bin/sh
# Signs a program in place with Authenticode, then verifies the signature.
#   SIGN_PASSWORD=... tools/sign.sh FILE CERT.p12
# CERT.p12 holds the signing key and its certificate chain. Its password is
# read from SIGN_PASSWORD and reaches the tools through the environment or a
# private file, never a command line that any user can list. When
# SIGN_TIMESTAMP_URL is set, that time-stamping server (RFC 3161)
# countersigns, so that the signature stays valid after the certificate
# expires. FILE is replaced only by a signed copy that verifies: on any
# failure it is left as it was.
set -eu

fail() {
    echo "sign.sh: $*" >&2
    exit 1
}

if [ $# -ne 2 ]; then
    echo "usage: SIGN_PASSWORD=... $0 FILE CERT.p12" >&2
    exit 2
fi
file=$1 cert=$2
[ -f "$file" ] || fail "$file: no such file"
[ -w "$file" ] || fail "$file: not writable"
[ "$(head -c 2 "$file")" = MZ ] || fail "$file: not a Windows program"
[ -f "$cert" ] && [ -r "$cert" ] || fail "$cert: no such certificate"
[ "${SIGN_PASSWORD+set}" = set ] || fail "SIGN_PASSWORD is not set: it must hold the password of $cert"
for tool in osslsigncode openssl; do
    command -v $tool >/dev/null 2>&1 || fail "$tool is missing (tools/bootstrap.sh installs it)"
done

# The signed copy is made beside FILE, so that it replaces FILE by a rename.
work= stage=
trap 'rm -rf "$work" "$stage"' EXIT
trap 'exit 1' HUP INT TERM
umask 077
work=$(mktemp -d)
stage=$(mktemp -d "$(dirname "$file")/.sign.XXXXXX") || fail "cannot write beside $file"

# The certificates of the file, for the check at the end; reading them proves
# the password before anything is signed.
if ! openssl pkcs12 -in "$cert" -nokeys -passin env:SIGN_PASSWORD -out "$work/chain.pem" \
        2>"$work/log"; then
    sed 's/^/  /' "$work/log" >&2
    fail "$cert: cannot be read with the password in SIGN_PASSWORD (a wrong password, or not a PKCS#12 file)"
fi

printf '%s' "$SIGN_PASSWORD" >"$work/password"
set -- -pkcs12 "$cert" -readpass "$work/password" -h sha256 -n "Installation de Tavelin"
if [ -n "${SIGN_TIMESTAMP_URL:-}" ]; then
    set -- "$@" -ts "$SIGN_TIMESTAMP_URL"
fi
if ! osslsigncode sign "$@" -in "$file" -out "$stage/signed" >"$work/log" 2>&1; then
    sed 's/^/  /' "$work/log" >&2
    fail "$file: not signed (osslsigncode's reason above)"
fi

# The chain must lead to the certificates of CERT.p12 or to a root this
# machine trusts.
cat "$work/chain.pem" >"$work/trusted.pem"
if [ -r /etc/ssl/certs/ca-certificates.crt ]; then
    cat /etc/ssl/certs/ca-certificates.crt >>"$work/trusted.pem"
fi
if ! osslsigncode verify -CAfile "$work/trusted.pem" -in "$stage/signed" >"$work/log" 2>&1; then
    sed 's/^/  /' "$work/log" >&2
    fail "$file: the signed copy does not verify; $file is left unsigned"
fi

chmod "$(stat -c %a "$file")" "$stage/signed"
mv -f "$stage/signed" "$file"
echo "$file: signed and verified"
