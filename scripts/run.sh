#!/usr/bin/env bash
# The project's run command: sets up the machine, builds what is missing and starts
# Likenex.exe under Wine. With a display the program opens there and this command returns
# when it ends; without one it runs in an Xvfb of its own for a few seconds, and a
# screenshot is written to build/screenshot.png. The server (build/server/likenex-server,
# data in build/server-data) is started next to it on 127.0.0.1:1234 and :8080, the editor's
# default address, unless something already listens there; it is stopped at the end.
#
#   scripts/run.sh [LIKENEX ARGUMENTS...]     e.g. scripts/run.sh 127.0.0.1 1234
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exe=build/program/Likenex.exe
prefix=build/wine-run
server_pid=
if ! (exec 3<>/dev/tcp/127.0.0.1/1234) 2>/dev/null; then
  build/server/likenex-server --data build/server-data 2>>build/server-data.log &
  server_pid=$!
  echo "run: likenex-server started (log in build/server-data.log)"
fi
stop_server() { if [ -n "$server_pid" ]; then kill -TERM "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi; }
trap stop_server EXIT
if [ -n "${DISPLAY:-}" ]; then
  scripts/wine-run --prefix "$prefix" "$exe" "$@"
  exit
fi
export LIKENEX_SCREENSHOT=$PWD/build/screenshot.png
scripts/wine-run --prefix "$prefix" --session bash -c '
  wine "$0" "$@" &
  sleep "${LIKENEX_SCREENSHOT_DELAY:-6}"
  import -window root "$LIKENEX_SCREENSHOT"
  echo "run: screenshot written to $LIKENEX_SCREENSHOT"
  wineserver -k
  wait
' "$exe" "$@"
