#!/usr/bin/env bash
# sign.sh FILE...: signs Windows programs and Windows Installer packages in place (Authenticode,
# SHA-256, osslsigncode) with the certificate the environment names:
#   ZSTARTUP_SIGN_PKCS12     the PKCS#12 file (.p12, .pfx) holding the certificate, its chain and
#                            its private key; when unset or empty, the files stay unsigned
#   ZSTARTUP_SIGN_PASSWORD   the password of that file (passed to osslsigncode through a pipe,
#                            never on a command line)
#   ZSTARTUP_SIGN_TIMESTAMP  optional: the URL of an RFC 3161 timestamp server, so that the
#                            signatures stay valid after the certificate expires
set -euo pipefail
if [ -z "${ZSTARTUP_SIGN_PKCS12:-}" ]; then
  echo "sign.sh: no certificate (ZSTARTUP_SIGN_PKCS12), left unsigned: $*"
  exit 0
fi
timestamp=()
if [ -n "${ZSTARTUP_SIGN_TIMESTAMP:-}" ]; then
  timestamp=(-ts "$ZSTARTUP_SIGN_TIMESTAMP")
fi
# A file is replaced only by its signed copy: a failure (a wrong password, no answer from the
# timestamp server) leaves it as it was and stops the release.
for file in "$@"; do
  if ! osslsigncode sign -pkcs12 "$ZSTARTUP_SIGN_PKCS12" -readpass <(printf '%s' "${ZSTARTUP_SIGN_PASSWORD:-}") \
       -h sha256 -n zStartup "${timestamp[@]}" -in "$file" -out "$file.signed" >/dev/null; then
    rm -f "$file.signed"
    echo "sign.sh: could not sign $file" >&2
    exit 1
  fi
  mv "$file.signed" "$file"
  echo "sign.sh: signed $file"
done
