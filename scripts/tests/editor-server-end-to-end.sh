#!/usr/bin/env bash
# Starts likenex-server on free ports with a fresh data directory and the account "ann"
# (password "secret"), then runs the editor's end-to-end tests under Wine against it.
#
#   editor-server-end-to-end.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill -TERM "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
protocol=$(free_port)
web=$(free_port)
server=("$build/server/likenex-server" --data "$work/data" --set "protocol_port=$protocol" --set "http_port=$web"
        --set "public_base=http://127.0.0.1:$web" --set "program_directory=$build/program")
printf 'secret\n' | "${server[@]}" user add ann
"${server[@]}" 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 100); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$protocol") 2>/dev/null; then break; fi
  sleep 0.1
done
export LIKENEX_E2E_SERVER="127.0.0.1 $protocol" LIKENEX_E2E_WEB="http://127.0.0.1:$web"
status=0
"$root/scripts/wine-run" --prefix "$build/windows/wine" "$build/windows/app/app_win_tests.exe" \
  --gtest_filter='ServerEndToEnd*' || status=$?
if [ "$status" -ne 0 ]; then echo "--- server log"; cat "$work/server.log"; fi
exit "$status"
