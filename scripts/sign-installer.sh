#!/usr/bin/env bash
# Signs installers for the update host. For each FILE it writes FILE.sig beside it, the signed
# manifest that the host publishes next to FILE and that Update.exe checks before it runs FILE:
#
#   likenex-installer 1
#   file <FILE's base name>
#   version <VERSION>
#   size <FILE's size in bytes>
#   sha256 <FILE's SHA-256, 64 lowercase hex digits>
#   signature <base64 of the DER ECDSA P-256 signature (SHA-256) over the five lines above>
#
# Each line ends with a single LF; the file is at most 1 KiB. The update host publishes in its
# Download/ folder each installer with its manifest: N.exe and N.exe.sig (the step to version
# N), fullup.exe and fullup.exe.sig (the full installer of the newest version). Update.exe
# fetches the installer it needs and its manifest, verifies the signature with the public key
# built into it, and runs the installer only when the manifest names the file it asked for, a
# version no older than the newest one announced, and exactly the downloaded file's size and
# hash. The manifest is checked with openssl again as written, so a key that does not sign
# never leaves a manifest behind.
#
#   scripts/sign-installer.sh KEY.pem VERSION FILE...
#
# KEY.pem is the private key whose public half the build was given
# (-DLIKENEX_INSTALLER_PUBLIC_KEY=... or -DLIKENEX_INSTALLER_SIGNING_KEY=...), or
# build/windows/signing/installer-test-key.pem for a test build. A release key is kept off this
# tree and off build machines. VERSION is the version the installers bring; a full installer
# published for a newer announced version must be signed again with that version.
set -euo pipefail
fail() {
  echo "sign-installer.sh: $*" >&2
  exit 1
}
if [ $# -lt 3 ]; then
  echo "usage: sign-installer.sh KEY.pem VERSION FILE..." >&2
  exit 2
fi
key=$1
version=$2
shift 2
[[ $version =~ ^[1-9][0-9]{0,9}$ ]] && [ "$version" -le 4294967295 ] ||
  fail "VERSION must be a number from 1 to 4294967295, not '$version'"
public=$(mktemp)
work=$(mktemp -d)
trap 'rm -rf "$public" "$work"' EXIT
openssl pkey -in "$key" -pubout -out "$public" || fail "$key is not a private key"

for file in "$@"; do
  name=$(basename -- "$file")
  [[ $name =~ ^[A-Za-z0-9_-][A-Za-z0-9._-]{0,63}$ ]] || fail "'$name' is not a name the update host can publish"
  [ -f "$file" ] || fail "$file is not a file"
  size=$(stat -c %s -- "$file")
  [ "$size" -gt 0 ] || fail "$file is empty"
  hash=$(openssl dgst -sha256 -r "$file" | cut -c1-64)
  printf 'likenex-installer 1\nfile %s\nversion %s\nsize %s\nsha256 %s\n' "$name" "$version" "$size" "$hash" \
    >"$work/fields"
  openssl dgst -sha256 -sign "$key" -out "$work/signature.der" "$work/fields"
  { cat "$work/fields"; printf 'signature %s\n' "$(openssl base64 -A -in "$work/signature.der")"; } >"$work/manifest"

  # The manifest as written: five lines of fields, one of signature, nothing else.
  [ "$(wc -l <"$work/manifest")" -eq 6 ] && [ "$(wc -c <"$work/manifest")" -le 1024 ] ||
    fail "the manifest of $file is not six lines within 1 KiB"
  head -n 5 "$work/manifest" >"$work/signed"
  tail -n 1 "$work/manifest" | sed 's/^signature //' | openssl base64 -d -A >"$work/check.der"
  openssl dgst -sha256 -verify "$public" -signature "$work/check.der" "$work/signed" >/dev/null ||
    fail "the manifest of $file does not verify"
  mv "$work/manifest" "$file.sig"
  echo "signed $file as $name, version $version"
done
