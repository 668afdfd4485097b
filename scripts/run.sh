#!/usr/bin/env bash
# The project's run command: sets up the machine, builds what is missing and starts
# Likenex.exe under Wine. With a display the program opens there and this command returns
# when it ends; without one it runs in an Xvfb of its own for a few seconds, and a
# screenshot is written to build/screenshot.png.
#
#   scripts/run.sh [LIKENEX ARGUMENTS...]     e.g. scripts/run.sh 127.0.0.1 1234
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exe=build/program/Likenex.exe
prefix=build/wine-run
if [ -n "${DISPLAY:-}" ]; then
  exec scripts/wine-run --prefix "$prefix" "$exe" "$@"
fi
export LIKENEX_SCREENSHOT=$PWD/build/screenshot.png
exec scripts/wine-run --prefix "$prefix" --session bash -c '
  wine "$0" "$@" &
  sleep "${LIKENEX_SCREENSHOT_DELAY:-6}"
  import -window root "$LIKENEX_SCREENSHOT"
  echo "run: screenshot written to $LIKENEX_SCREENSHOT"
  wineserver -k
  wait
' "$exe" "$@"
