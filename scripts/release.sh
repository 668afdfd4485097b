#!/usr/bin/env bash
# Makes a release of Likenex: the setup program a person downloads, and the update host's tree
# (incremental and full installers with their signed manifests, the release's news item), from
# a build of their own that carries no test seam, optimised, linked stripped and
# Authenticode-signed.
#
#   scripts/release.sh [--dir DIR] [--host-build BUILD]
#
#   --dir DIR           the release's build folder (default ./build-release); the release
#                       lands in DIR/out
#   --host-build BUILD  take the data tools and the data files from an existing host build
#                       (./build, say) instead of building them in DIR/host
#
# The keys come from outside the tree, named by the environment:
#   LIKENEX_UPDATE_KEY          the private key (PEM, ECDSA P-256) that signs the update
#                               installers' manifests; Update.exe trusts its public half only
#   LIKENEX_CODESIGN_CERT       the code-signing certificate chain (PEM)
#   LIKENEX_CODESIGN_KEY        its private key
#   LIKENEX_CODESIGN_PASS_FILE  optional: a file holding that key's password
#   LIKENEX_TIMESTAMP_URL       optional: an RFC 3161 timestamp server for the signatures
#   LIKENEX_REGISTRATION_URL    optional: the deployment's registration page (the setup writes
#                               it as regurl)
# Without LIKENEX_UPDATE_KEY, LIKENEX_CODESIGN_CERT and LIKENEX_CODESIGN_KEY the script makes a
# test key and a test certificate in DIR/test-keys and a test release, named
# LikenexSetup-<version>-UNSIGNED-TEST.exe and update-host-UNSIGNED-TEST, its setup's caption
# saying so too: a dry run of the whole path that can never pass for a release. Giving some of
# the three but not all is an error.
#
# The first run installs what the build needs (scripts/setup.sh) and configures DIR; later runs
# rebuild what changed. LIKENEX_BUILD_LOCK names a lock file each build step holds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build-release
host_build=

while [ $# -gt 0 ]; do
  case $1 in
    --dir) dir=$2; shift 2 ;;
    --host-build) host_build=$(cd "$2" && pwd); shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "release: unknown argument '$1' (see --help)" >&2; exit 2 ;;
  esac
done
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

fail() { echo "release: $*" >&2; exit 1; }
build_step() {
  if [ -n "${LIKENEX_BUILD_LOCK:-}" ]; then flock "$LIKENEX_BUILD_LOCK" "$@"; else "$@"; fi
}
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }

"$root/scripts/setup.sh"

# The keys: all three given, or none (a test release).
given=0
for name in LIKENEX_UPDATE_KEY LIKENEX_CODESIGN_CERT LIKENEX_CODESIGN_KEY; do
  if [ -n "${!name:-}" ]; then
    [ -f "${!name}" ] || fail "$name names '${!name}', which is not a file"
    given=$((given + 1))
  fi
done
if [ $given -eq 3 ]; then
  test_release=OFF
  update_key=$(absolute "$LIKENEX_UPDATE_KEY")
  codesign_cert=$(absolute "$LIKENEX_CODESIGN_CERT")
  codesign_key=$(absolute "$LIKENEX_CODESIGN_KEY")
  case $update_key$codesign_cert$codesign_key in
    "$root"/*) fail "keep release keys and certificates outside the source tree" ;;
  esac
elif [ $given -eq 0 ]; then
  test_release=ON
  keys=$dir/test-keys
  mkdir -p "$keys"
  chmod 700 "$keys"
  update_key=$keys/update-test-key.pem
  codesign_cert=$keys/codesign-test.crt
  codesign_key=$keys/codesign-test.key
  if [ ! -f "$update_key" ]; then
    openssl ecparam -name prime256v1 -genkey -noout -out "$update_key"
  fi
  if [ ! -f "$codesign_cert" ] || [ ! -f "$codesign_key" ]; then
    openssl req -x509 -newkey rsa:3072 -nodes -days 365 -keyout "$codesign_key" -out "$codesign_cert" \
      -subj "/CN=Likenex UNSIGNED TEST code signing" -addext "extendedKeyUsage=codeSigning" \
      -addext "keyUsage=digitalSignature" 2>/dev/null
  fi
  echo "release: no keys given: making a test release with the test key and certificate in $keys" >&2
else
  fail "give all of LIKENEX_UPDATE_KEY, LIKENEX_CODESIGN_CERT and LIKENEX_CODESIGN_KEY, or none for a test release"
fi
[ -z "${LIKENEX_CODESIGN_PASS_FILE:-}" ] || LIKENEX_CODESIGN_PASS_FILE=$(absolute "$LIKENEX_CODESIGN_PASS_FILE")

# The programs trust the public half of the update key, and only it.
mkdir -p "$dir/keys"
openssl pkey -in "$update_key" -pubout -out "$dir/keys/update-public.pem" 2>/dev/null \
  || fail "LIKENEX_UPDATE_KEY is not a private key openssl can read"

# The data tools and the data files the programs ship with.
program=$dir/program
mkdir -p "$program/data"
if [ -n "$host_build" ]; then
  [ -x "$host_build/tools/likenex-resource-art" ] || fail "$host_build has no tools/likenex-resource-art; build it first"
  tools=$host_build/tools
  build_step cmake --build "$host_build" --target default-data
  data_from=$host_build/program
else
  if [ ! -f "$dir/host/CMakeCache.txt" ]; then
    build_step cmake -C "$root/cmake/ServerRelease.cmake" -S "$root" -B "$dir/host" -G Ninja \
      -DLIKENEX_PROGRAM_DIR="$dir/host/program"
  fi
  build_step cmake --build "$dir/host" --target likenex-resource-art default-data
  tools=$dir/host/tools
  data_from=$dir/host/program
fi
for file in color.dat skin.dat wall.dat data/avatar.inx data/avatar.iso data/avatar.dat data/inter.inx \
            data/inter.dat data/lang.bin; do
  [ -f "$data_from/$file" ] || fail "$data_from/$file is missing"
  cp -p "$data_from/$file" "$program/$file"
done

# The Windows programs, the installers and the setup.
windows=$dir/windows
settings=(
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
  -DLIKENEX_PROGRAM_DIR="$program"
  -DLIKENEX_HOST_TOOLS_DIR="$tools"
  -DLIKENEX_INSTALLER_PUBLIC_KEY="$dir/keys/update-public.pem"
  -DLIKENEX_INSTALLER_SIGNING_KEY="$update_key"
  -DLIKENEX_CODESIGN_CERT="$codesign_cert"
  -DLIKENEX_CODESIGN_KEY="$codesign_key"
  -DLIKENEX_CODESIGN_PASS_FILE="${LIKENEX_CODESIGN_PASS_FILE:-}"
  -DLIKENEX_TIMESTAMP_URL="${LIKENEX_TIMESTAMP_URL:-}"
  -DLIKENEX_REGISTRATION_URL="${LIKENEX_REGISTRATION_URL:-}"
  -DLIKENEX_TEST_RELEASE=$test_release
  -DLIKENEX_RELEASE_OUTPUT_DIR="$dir/out"
)
build_step cmake -C "$root/cmake/WindowsRelease.cmake" -S "$root" -B "$windows" -G Ninja "${settings[@]}" >/dev/null
# Files signed with another key or certificate must not survive a change of either.
if ! cmp -s "$dir/keys/update-public.pem" "$dir/keys/last-release-public.pem" 2>/dev/null \
   || [ "$(cat "$dir/keys/last-codesign" 2>/dev/null)" != "$codesign_cert $codesign_key" ]; then
  rm -rf "$dir/out"
  build_step cmake --build "$windows" --target clean >/dev/null
fi
build_step cmake --build "$windows" --target release
cp "$dir/keys/update-public.pem" "$dir/keys/last-release-public.pem"
echo "$codesign_cert $codesign_key" > "$dir/keys/last-codesign"

echo
echo "release: made in $dir/out:"
(cd "$dir/out" && find . -type f | sort | sed 's/^\.\//  /')
if [ $test_release = ON ]; then
  echo "release: this is a TEST release, signed with test keys; do not publish it"
fi
