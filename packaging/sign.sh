#!/usr/bin/env bash
# Authenticode-signs programs, libraries and packages in place, with SHA-256,
# by osslsigncode:
#   sign.sh <test certificate folder> <file>...
# The maker's certificate (a release): WIZ_SIGN_PKCS12, a PKCS#12 file with
# the code signing certificate, its chain and key, and its password in the
# file WIZ_SIGN_PASSWORD_FILE or in WIZ_SIGN_PASSWORD. The password reaches
# osslsigncode in a file, never on a command line that a process list or a
# build log would show. Without WIZ_SIGN_PKCS12 the build's own test
# certificate signs (test-certificate.sh), so every build is signed the same
# way. WIZ_SIGN_TIMESTAMP: an RFC 3161 timestamp server; the signatures are
# stamped only when it is given (a signature without a stamp is valid only
# while the certificate is).
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 <test certificate folder> <file>..." >&2; exit 2; }
tests=$1
shift
if [ -n "${WIZ_SIGN_PKCS12:-}" ]; then
  pkcs12=$WIZ_SIGN_PKCS12
  if [ -n "${WIZ_SIGN_PASSWORD_FILE:-}" ]; then
    password_file=$WIZ_SIGN_PASSWORD_FILE
  elif [ -n "${WIZ_SIGN_PASSWORD+set}" ]; then
    password_file=$(mktemp)
    trap 'rm -f "$password_file"' EXIT
    # printf is the shell's own: no process is started with the password.
    printf '%s' "$WIZ_SIGN_PASSWORD" >"$password_file"
  else
    echo "sign: WIZ_SIGN_PKCS12 is given without WIZ_SIGN_PASSWORD_FILE or WIZ_SIGN_PASSWORD" >&2
    exit 1
  fi
else
  pkcs12=$tests/code-signing.p12
  password_file=$tests/code-signing.pass
fi
[ -r "$pkcs12" ] || { echo "sign: cannot read the certificate $pkcs12" >&2; exit 1; }
timestamp=()
[ -n "${WIZ_SIGN_TIMESTAMP:-}" ] && timestamp=(-ts "$WIZ_SIGN_TIMESTAMP")
for file; do
  if ! osslsigncode sign -pkcs12 "$pkcs12" -readpass "$password_file" -h sha256 \
      -n "Corvantis Fax" -i https://www.kelvaro.example/ "${timestamp[@]}" \
      -in "$file" -out "$file.signed" >/dev/null; then
    rm -f "$file.signed"
    echo "sign: $file could not be signed" >&2
    exit 1
  fi
  mv "$file.signed" "$file"
done
