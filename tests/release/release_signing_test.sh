#!/usr/bin/env bash
# Signing test. Environment (set by CTest): EXE (the built zStartup.exe), MSI (made by the
# release_packages test), WORK_DIR (emptied first), WINE_RUN, WINE_PREFIX, SOURCE_DIR.
#
# scripts/sign.sh with a throw-away self-signed certificate made here: without a certificate,
# with a wrong password or an unreachable timestamp server, the files stay as they were (and
# only the first succeeds); with the certificate, osslsigncode verifies both signatures
# (digest matching the file, chain up to the test root, which is given as trusted), and the
# signed executable still runs under Wine.
set -euo pipefail

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR/run"
cd "$WORK_DIR"

password=throw-away
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out root.pem -days 2 -subj "/CN=zStartup test signer" \
  -addext "keyUsage=digitalSignature" -addext "extendedKeyUsage=codeSigning" >/dev/null 2>&1
openssl pkcs12 -export -inkey key.pem -in root.pem -out signer.p12 -passout "pass:$password"

# sign CASE STATUS CERTIFICATE PASSWORD TIMESTAMP: sign.sh on fresh copies ends with STATUS
# (0 or "failure"); unless it signed them, the copies are unchanged.
sign() {
  local case=$1 want=$2 status=0
  cp "$EXE" "$case.exe"
  cp "$MSI" "$case.msi"
  ZSTARTUP_SIGN_PKCS12=$3 ZSTARTUP_SIGN_PASSWORD=$4 ZSTARTUP_SIGN_TIMESTAMP=$5 \
    bash "$SOURCE_DIR/scripts/sign.sh" "$case.exe" "$case.msi" >"$case.out" 2>&1 || status=$?
  if [ "$want" = 0 ] && [ "$status" -ne 0 ] || [ "$want" = failure ] && [ "$status" -eq 0 ]; then
    fail "$case: sign.sh status $status: $(cat "$case.out")"
  fi
  if [ "$case" != signed ]; then
    cmp -s "$EXE" "$case.exe" && cmp -s "$MSI" "$case.msi" || fail "$case: files changed"
  fi
}
sign unsigned 0 "" "" ""
sign wrong-password failure signer.p12 wrong ""
sign no-timestamp failure signer.p12 "$password" http://127.0.0.1:9/
sign signed 0 signer.p12 "$password" ""

for file in signed.exe signed.msi; do
  osslsigncode verify -CAfile root.pem -in "$file" >"$file.verify" 2>&1 || fail "$file: verify failed"
  # A program's signature carries its digest, a package's its DigitalSignature hash.
  label=$(sed -n 's/^Current \(message digest\|DigitalSignature\) *:.*/\1/p' "$file.verify")
  current=$(sed -n "s/^Current $label *: *\([0-9A-F]*\).*/\1/p" "$file.verify")
  calculated=$(sed -n "s/^Calculated $label *: *\([0-9A-F]*\).*/\1/p" "$file.verify")
  [ -n "$current" ] && [ "$current" = "$calculated" ] || fail "$file: signed digest '$current', file's '$calculated'"
  grep -q "^Message digest algorithm *: SHA256" "$file.verify" || fail "$file: not a SHA-256 signature"
  grep -q "Subject: /CN=zStartup test signer" "$file.verify" || fail "$file: not signed by the test signer"
  grep -q "^Signature verification: ok" "$file.verify" || fail "$file: $(grep '^Signature verification' "$file.verify")"
done

# The signed executable runs as before: in a folder without list and batch file, a whole run.
cp signed.exe run/zStartup.exe
status=0
"$WINE_RUN" "$WINE_PREFIX" run/zStartup.exe >run.out 2>&1 </dev/null || status=$?
[ "$status" -eq 0 ] || fail "signed zStartup.exe: exit status $status"
[ "$(head -n 1 run/zStartup_LT.log 2>/dev/null | tr -d '\r')" = "[zStartup] started" ] \
  && [ "$(tail -n 1 run/zStartup_LT.log | tr -d '\r')" = "[zStartup] stopped" ] \
  || fail "signed zStartup.exe: log $(cat -A run/zStartup_LT.log 2>/dev/null)"

[ "$failures" -eq 0 ] || exit 1
echo "signing: unsigned without a certificate, refused on errors, verified signatures on $(basename "$EXE") and $(basename "$MSI"), signed program runs"
