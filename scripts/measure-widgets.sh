#!/usr/bin/env bash
# Measures the editor's window with 50 widgets under Wine: the median time the window stack
# takes to draw a frame and its texture draws over 500 frames (the field of widgets asks for
# a frame at every period). Run after scripts/build.sh (a test build, which has the seams it
# uses); scripts/measure-cpu.sh measures the processor use of the editor itself.
#
#   scripts/measure-widgets.sh [WIDGETS]
set -euo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
export LIKENEX_TEST_GALLERY=${1:-50}
export LIKENEX_TEST_FRAME_LOG="Z:${log//\//\\}"
# The editor asks a server for the newest version at start and says so when none answers.
source scripts/tests/test-server.sh
serve_the_editor build
scripts/wine-run --prefix build/wine-measure --session bash -c '
  wine build/program/Likenex.exe $LIKENEX_SERVER_ARGS &
  for t in $(seq 600); do [ -s "'"$log"'" ] && break; sleep 0.1; done
  wine build/windows/tools/likenex-window-ctl.exe close || true
  wait
'
echo "with $LIKENEX_TEST_GALLERY widgets: $(cat "$log")"
