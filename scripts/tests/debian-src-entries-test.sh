#!/usr/bin/env bash
# The deb-src entries made from a machine's apt sources keep its mirror, suites, components and
# keyring, skip disabled and foreign entries, and read both source formats.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

cat > "$dir/debian.sources" <<'SRC'
Types: deb
URIs: http://mirror.example/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://old.example/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb
URIs: https://vendor.example/apt
Suites: nodistro
Components: main
SRC
cat > "$dir/extra.list" <<'SRC'
# deb http://commented.example/debian bookworm main
deb [arch=amd64 signed-by=/etc/apt/keyrings/mirror.gpg] http://mirror.example/debian-security bookworm-security main
deb https://vendor.example/apt cloud-sdk-bookworm main
SRC

got=$("$here/../debian-src-entries" bookworm "$dir/debian.sources" "$dir/missing.list" "$dir/extra.list")
want='Types: deb-src
URIs: http://mirror.example/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://mirror.example/debian-security
Suites: bookworm-security
Components: main
Signed-By: /etc/apt/keyrings/mirror.gpg'
if [ "$got" != "$want" ]; then
  echo "unexpected entries:"; echo "$got"
  diff <(echo "$want") <(echo "$got") || true
  exit 1
fi
[ -z "$("$here/../debian-src-entries" trixie "$dir/debian.sources" "$dir/extra.list")" ] || { echo "another release matched"; exit 1; }
echo "deb-src entries: ok"
