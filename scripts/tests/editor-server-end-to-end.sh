#!/usr/bin/env bash
# Starts likenex-server on free ports with a fresh data directory and the account "ann"
# (password "secret"), then runs the editor's end-to-end tests under Wine against it.
#
#   editor-server-end-to-end.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/tests/test-server.sh"
prepare_test_server "$build"
printf 'secret\n' | "${test_server[@]}" user add ann
run_test_server
export LIKENEX_E2E_SERVER="127.0.0.1 $protocol" LIKENEX_E2E_WEB="http://127.0.0.1:$web"
status=0
"$root/scripts/wine-run" --prefix "$build/windows/wine" "$build/windows/app/app_win_tests.exe" \
  --gtest_filter='ServerEndToEnd*' || status=$?
if [ "$status" -ne 0 ]; then echo "--- server log"; cat "$work/server.log"; fi
exit "$status"
