#!/usr/bin/env bash
# A release signed with a throw-away code-signing certificate: every .exe in
# both zips carries a valid Authenticode signature, and signing added nothing
# but the signature to the programs that were built. Half a signing setup is
# refused before anything is built. Each zip holds exactly what a packager
# needs: the launcher named after its sample configuration, the two tools and
# the guide.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
fail() { echo "FAIL: $*" >&2; exit 1; }

# A root and a code-signing certificate issued by it, as a real chain has.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout root.key -out root.pem \
  -subj "/CN=Throw-away test root" -addext "basicConstraints=critical,CA:true" \
  -addext "keyUsage=critical,keyCertSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
  -subj "/CN=Throw-away test signer" 2>/dev/null
printf 'basicConstraints=CA:false\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
openssl x509 -req -days 2 -in signer.csr -CA root.pem -CAkey root.key -CAcreateserial \
  -extfile signer.ext -out signer.pem 2>/dev/null
echo "throw away" >password
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile root.pem \
  -out signer.pfx -passout file:password

if SIGN_PFX=signer.pfx DIST_DIR=half RELEASE_BUILD_DIR=half "$root/scripts/release" >half.log 2>&1; then
  fail "a release with SIGN_PFX but no SIGN_PASSWORD_FILE went ahead"
fi
grep -q "needs both" half.log || fail "no reason given: $(cat half.log)"
[ ! -e half/release-win32 ] || fail "the half setup built something"

SIGN_PFX=signer.pfx SIGN_PASSWORD_FILE=password DIST_DIR=dist RELEASE_BUILD_DIR=work \
  "$root/scripts/release" >release.log 2>&1 || { cat release.log; fail "signed release failed"; }

checked=0
for target in win32 win64; do
  zip=$(ls dist/*-"$target".zip)
  folder=$(basename "$zip" .zip)
  listing=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
  expected="$folder/Setup.exe $folder/Setup.ini $folder/launcher-check.exe $folder/packaging.md $folder/profile-get.exe "
  [ "$listing" = "$expected" ] || fail "$zip holds: $listing"
  mkdir "unpacked-$target"
  unzip -q "$zip" -d "unpacked-$target"
  for program in "unpacked-$target"/*/*.exe; do
    osslsigncode verify -CAfile root.pem -in "$program" >verify.log 2>&1 ||
      { cat verify.log; fail "$program: no valid signature"; }
    grep -q "Subject: /CN=Throw-away test signer" verify.log || fail "$program: another signer"
    osslsigncode remove-signature -in "$program" -out unsigned.exe >/dev/null
    built=$(basename "$program")
    [ "$built" != Setup.exe ] || built=launcher.exe
    cmp -s unsigned.exe "work/release-$target/$built" ||
      fail "$program: signing changed more than the signature"
    rm unsigned.exe
    checked=$((checked + 1))
  done
done
[ "$checked" -eq 6 ] || fail "expected 6 programs in the two zips, found $checked"
echo "6 programs signed and verified"
