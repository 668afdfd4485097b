#!/usr/bin/env bash
# Takes a screenshot of every editor page under Wine in a virtual display, in one language,
# dressing the figure a little on the way so that each page shows a choice, then uploads the
# avatar to a server of its own (started here on the editor's default ports, with the account
# "ann") and takes the picture screen too. Run after scripts/build.sh.
#
#   scripts/screenshots.sh [LANGUAGE-CODE] [OUTPUT-DIRECTORY]
#   LANGUAGE-CODE: tw, cn, en (default), jp or french; pictures go to build/screenshots/CODE
set -euo pipefail
cd "$(dirname "$0")/.."
code=${1:-en}
out=${2:-build/screenshots/$code}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill -TERM "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
if ! (exec 3<>/dev/tcp/127.0.0.1/1234) 2>/dev/null; then
  server=(build/server/likenex-server --data "$work/data" --set "program_directory=$PWD/build/program")
  printf 'secret\n' | "${server[@]}" user add ann >/dev/null
  "${server[@]}" 2>"$work/server.log" &
  server_pid=$!
  for _ in $(seq 100); do (exec 3<>/dev/tcp/127.0.0.1/1234) 2>/dev/null && break; sleep 0.1; done
fi
export LIKENEX_SHOT_CODE=$code LIKENEX_SHOT_DIR=$out
scripts/wine-run --prefix build/wine-shots --session bash -c '
  ctl() { wine build/windows/tools/likenex-window-ctl.exe "$@"; }
  shot() { sleep 1.5; import -window root "$LIKENEX_SHOT_DIR/$1.png"; }
  wine reg add "HKCU\\Software\\Tovik\\Mimzu" /v language /t REG_SZ /d "$LIKENEX_SHOT_CODE" /f >/dev/null 2>&1
  wine build/program/Likenex.exe &
  ctl wait 60
  sleep 2
  ctl click 60 190; ctl click 120 380; ctl click 420 432    # eyes, mouth, skin
  shot page-0-face
  ctl click 600 470; ctl click 140 200; ctl click 470 420   # a hat, recoloured
  shot page-1-hats
  ctl click 600 470; shot page-2-outfits
  ctl click 600 470; ctl click 80 200; shot page-3-tops
  ctl click 600 470; ctl click 80 200; shot page-4-trousers
  ctl click 600 470; ctl click 80 200; shot page-5-shoes
  ctl click 600 470; ctl click 80 200; shot page-6-body-parts
  ctl click 600 470; ctl click 80 190                        # an action
  ctl click 100 480; ctl type "Hello!"; ctl click 260 490    # its words, added
  ctl click 80 209; ctl click 260 490                        # another, without words
  shot page-7-script
  ctl click 600 470; ctl type "My first avatar"                 # the upload page, its title
  ctl click 480 404; ctl type "ann"                             # the user name
  shot page-8-upload
  ctl click 480 434; ctl type "secret"                          # the password
  ctl click 600 470; sleep 1; shot price-dialog                 # upload: the price first
  ctl click 295 337; sleep 3                                    # its OK button
  shot picture-screen
  ctl close
  wait
'
echo "screenshots in $out"
