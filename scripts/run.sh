#!/usr/bin/env bash
# The project's run command: sets up the machine, builds what is missing and starts
# Likenex.exe under Wine. With a display the program opens there and this command returns
# when it ends; without one it runs in an Xvfb of its own for a few seconds, and a
# screenshot is written to build/screenshot.png. The server (build/server/likenex-server,
# data in build/server-data) is started next to it on 127.0.0.1:1234 and :8080, the editor's
# default address, unless something already listens there; it is stopped at the end.
#
#   scripts/run.sh [LIKENEX ARGUMENTS...]     e.g. scripts/run.sh 127.0.0.1 1234
#   scripts/run.sh --newer
#
# With --newer the server announces the next version and serves this build's installers of it
# (build/windows/update-host-next): the editor hands over to Update.exe, which installs it into
# a copy of the program folder (build/update-run/program) and starts the editor again. Without
# a display the buttons are pressed for you, and each stage is photographed in build/update-run/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exe=build/program/Likenex.exe
prefix=build/wine-run
server=(build/server/likenex-server --data build/server-data)
newer=no
if [ "${1:-}" = --newer ]; then
  newer=yes
  shift
  if (exec 3<>/dev/tcp/127.0.0.1/1234) 2>/dev/null || (exec 3<>/dev/tcp/127.0.0.1/8080) 2>/dev/null; then
    echo "run: --newer starts a server of its own on 127.0.0.1:1234 and :8080, but something listens there" >&2
    exit 1
  fi
  version=$(sed -n 's/^LIKENEX_PROGRAM_VERSION:STRING=//p' build/CMakeCache.txt)
  next=$((version + 1))
  # The update changes the program folder: it runs on a copy, so the build's stays as built.
  rm -rf build/update-run
  mkdir -p build/update-run/server-data/Download
  cp -r build/program build/update-run/program
  rm -f build/update-run/program/opt.dat
  cp build/windows/update-host-next/Download/* build/update-run/server-data/Download/
  exe=build/update-run/program/Likenex.exe
  server=(build/server/likenex-server --data build/update-run/server-data --set "newest_version=$next"
          --set program_directory=build/program)
fi
server_pid=
if ! (exec 3<>/dev/tcp/127.0.0.1/1234) 2>/dev/null; then
  "${server[@]}" 2>>build/server-data.log &
  server_pid=$!
  echo "run: likenex-server started (log in build/server-data.log)"
  for _ in $(seq 100); do (exec 3<>/dev/tcp/127.0.0.1/1234) 2>/dev/null && break; sleep 0.1; done
fi
stop_server() { if [ -n "$server_pid" ]; then kill -TERM "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi; }
trap stop_server EXIT
if [ $newer = yes ] && [ -z "${DISPLAY:-}" ]; then
  # No one to press the buttons: press them, and photograph each stage.
  export LIKENEX_UPDATE_RUN=$PWD/build/update-run
  scripts/wine-run --prefix "$prefix" --session bash -c '
    ctl() { wine build/windows/tools/likenex-window-ctl.exe "$@"; }
    shot() { sleep 1; import -window root "$LIKENEX_UPDATE_RUN/$1.png"; echo "run: $LIKENEX_UPDATE_RUN/$1.png"; }
    wine "$0" &
    ctl update-wait "New data are received!" 60 && shot 1-update-offered
    ctl update-press action
    ctl update-wait "Update is completed!" 120 && shot 2-update-completed
    ctl update-press action
    ctl wait 60 && sleep 4 && shot 3-editor-restarted
    wine reg query "HKCU\\Software\\Tovik\\Avatar\\CurrentVersion" /v ver
    wineserver -k
    wait
  ' "$exe"
  exit
fi
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
