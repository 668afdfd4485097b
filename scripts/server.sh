#!/usr/bin/env bash
# Builds the release server into ./build-server and starts it with the given arguments:
#
#   scripts/server.sh                          # data in build-server/data
#   scripts/server.sh --config my.conf         # any likenex-server arguments (see --help)
#
# The first run installs what the build needs on Debian 12 (as root, or through sudo) and
# configures build-server/ once with cmake/ServerRelease.cmake; later runs rebuild only what
# changed. The build makes likenex-server, likenex-load and the program directory
# (build-server/program, with data/avatar.dat) that the server reads. The data directory is
# build-server/data unless the arguments name another (--data, data_directory in --config or
# --set): they come after it and win. Relative paths in the arguments are taken from the
# current directory. On a machine whose builds share a lock, LIKENEX_BUILD_LOCK names the lock
# file that the build step holds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-server

packages=(
  # the compiler and the build
  g++ cmake ninja-build pkg-config python3
  # found when the tree is configured, though the server's build compiles no test
  libgtest-dev libgmock-dev
  # the data tools that draw the program directory's data files
  libpng-dev nlohmann-json3-dev libcairo2-dev libfontconfig-dev
  # the server: Boost.Asio and Beast, storage, password hashing, the pictures' PNG and text
  libboost1.81-dev libsqlite3-dev libpq-dev libsodium-dev zlib1g-dev libfreetype-dev
  # the fonts of the interface pictures and of the speech bubbles in avatar pictures
  fonts-dejavu-core fonts-arphic-uming
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "server: installing ${missing[*]}" >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build_step() {
  if [ -n "${LIKENEX_BUILD_LOCK:-}" ]; then flock "$LIKENEX_BUILD_LOCK" "$@"; else "$@"; fi
}
if [ ! -f "$build/CMakeCache.txt" ]; then
  build_step cmake -C "$root/cmake/ServerRelease.cmake" -S "$root" -B "$build" -G Ninja
fi
build_step cmake --build "$build" --target likenex-server likenex-load

exec "$build/server/likenex-server" --data "$build/data" "$@"
