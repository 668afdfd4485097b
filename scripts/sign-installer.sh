#!/usr/bin/env bash
# Signs installers for the update host: writes FILE.sig (ECDSA P-256 over SHA-256, DER) beside
# each FILE, which the host publishes next to it and Update.exe checks before running FILE.
#
#   scripts/sign-installer.sh KEY.pem FILE...
#
# KEY.pem is the private key whose public half the build was given
# (-DLIKENEX_INSTALLER_PUBLIC_KEY=...), or build/windows/signing/installer-test-key.pem for a
# test build. A release key is kept off this tree and off build machines.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: sign-installer.sh KEY.pem FILE..." >&2
  exit 2
fi
key=$1
shift
for file in "$@"; do
  openssl dgst -sha256 -sign "$key" -out "$file.sig" "$file"
  openssl dgst -sha256 -verify <(openssl pkey -in "$key" -pubout) -signature "$file.sig" "$file" >/dev/null
  echo "signed $file"
done
