#!/usr/bin/env bash
# Opens the widget gallery (every widget family in its states) in the editor's window under
# Wine in an Xvfb of its own, and writes its picture to build/widgets.png.
#
#   scripts/gallery.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
out=$(realpath -m "${1:-build/widgets.png}")
export LIKENEX_GALLERY_SHOT=$out
export LIKENEX_TEST_GALLERY=1
unset DISPLAY
# The editor asks a server for the newest version at start and says so when none answers.
source scripts/tests/test-server.sh
serve_the_editor build
scripts/wine-run --prefix build/wine-run --session bash -c '
  wine build/program/Likenex.exe $LIKENEX_SERVER_ARGS &
  sleep "${LIKENEX_SCREENSHOT_DELAY:-6}"
  import -window root "$LIKENEX_GALLERY_SHOT.full.png"
  # The editor window is centred on the screen.
  convert "$LIKENEX_GALLERY_SHOT.full.png" -gravity center -crop 654x537+0+0 +repage "$LIKENEX_GALLERY_SHOT"
  rm -f "$LIKENEX_GALLERY_SHOT.full.png"
  echo "gallery: picture written to $LIKENEX_GALLERY_SHOT"
  wineserver -k
  wait
'
