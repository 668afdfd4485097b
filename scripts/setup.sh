#!/usr/bin/env bash
# Installs everything the project needs on Debian 12, as root (or through sudo). Safe to run
# again: it installs only what is missing.
set -euo pipefail

packages=(
  # host build, tests and benchmarks
  g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev googletest libbenchmark-dev
  # the layer check of the includes
  python3
  # the data tools, and fuzzing the readers with clang's libFuzzer
  libpng-dev nlohmann-json3-dev clang libclang-rt-14-dev
  # the PNG encoder of the still and animated avatar pictures
  zlib1g-dev
  # the Windows build and its dependencies' sources; Boost.Regex of the news library is
  # header-only in libboost1.81-dev (libboost-regex-dev would bring Boost 1.74, which conflicts)
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev dpkg-dev libboost1.81-dev libfreetype-dev libcairo2-dev
  # the update host's installers and the setup program, signing them (manifests with openssl,
  # Authenticode with osslsigncode)
  nsis openssl osslsigncode
  # running and testing the Windows programs
  wine wine64 xvfb xauth libgl1-mesa-dri imagemagick
  # the server: storage, password hashing, and a PostgreSQL server for its storage tests;
  # wrk for its web figures (Boost.Asio and Beast come with libboost1.81-dev)
  libsqlite3-dev libpq-dev libsodium-dev postgresql wrk
  haproxy  # in front of two servers sharing one database, in the server's tests
  # its pages checked as a browser shows them
  chromium
  # free fonts the programs fall back to
  fonts-dejavu-core fonts-arphic-uming fonts-ipafont-gothic
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# FreeType for Windows is built from Debian's source package: apt needs a deb-src entry. It is
# derived from the machine's own Debian entries (same addresses, suites, components and
# keyring), so that a machine that uses a mirror keeps using it.
sources=/etc/apt/sources.list.d/likenex-deb-src.sources
added_sources=no
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  entries=$("$(dirname "$0")/debian-src-entries" "$codename" /etc/apt/sources.list /etc/apt/sources.list.d/*.sources \
            /etc/apt/sources.list.d/*.list)
  if [ -z "$entries" ]; then
    echo "setup: no Debian entry for '$codename' in the apt sources to derive a deb-src entry from" >&2
    exit 1
  fi
  printf '%s\n' "$entries" | as_root tee "$sources" >/dev/null
  added_sources=yes
fi

if [ ${#missing[@]} -gt 0 ] || [ $added_sources = yes ]; then
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
