#!/usr/bin/env bash
# Makes the build's test signing certificate, for builds without the maker's:
#   test-certificate.sh <folder>
# writes test-root.pem (a root of its own, for the tests and for a test PC's
# trusted roots), code-signing.p12 (a code signing certificate issued by that
# root, with its key) and code-signing.pass (the PKCS#12 file's password, a
# random one). The root's key is thrown away once it has issued the one
# certificate. Nothing made here is to be trusted outside a test.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <folder>" >&2; exit 2; }
dir=$1
mkdir -p "$dir"
work=$(mktemp -d "$dir/.making.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out test-root.pem -days 3650 -sha256 \
  -subj "/O=Kelvaro/CN=Corvantis Fax Test Root (not for release)" \
  -addext "basicConstraints=critical,CA:true" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout code.key -out code.csr -sha256 \
  -subj "/O=Kelvaro/CN=Kelvaro (test code signing)" 2>/dev/null
printf '%s\n' "basicConstraints=critical,CA:false" "keyUsage=critical,digitalSignature" \
  "extendedKeyUsage=codeSigning" >code.ext
openssl x509 -req -in code.csr -CA test-root.pem -CAkey root.key -set_serial "0x$(openssl rand -hex 8)" \
  -days 3650 -sha256 -extfile code.ext -out code.pem 2>/dev/null
openssl rand -hex 24 >code-signing.pass
chmod 600 code-signing.pass
openssl pkcs12 -export -inkey code.key -in code.pem -certfile test-root.pem \
  -passout file:code-signing.pass -out code-signing.p12
mv test-root.pem code-signing.p12 code-signing.pass "$dir/"
