#!/usr/bin/env bash
# Starts likenex-server on free ports with a fresh data directory and the account "ann"
# (password "secret"), then runs the editor's end-to-end tests under Wine against it.
# It passes only when the tests ran and passed: a skipped test, or a filter that selects no
# test, fails it.
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
  --gtest_filter='ServerEndToEnd*' --gtest_color=no 2>&1 | tee "$work/tests.txt" || status=$?
# GoogleTest's closing lines: "[  PASSED  ] N test(s)." and, when any were skipped, "[  SKIPPED ] N ...".
passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$work/tests.txt" | tail -n 1)
if [ "$status" -eq 0 ] && [ "${passed:-0}" -eq 0 ]; then
  echo "editor-server-end-to-end: no test ran" >&2
  status=1
fi
if grep -q '^\[  SKIPPED \]' "$work/tests.txt"; then
  echo "editor-server-end-to-end: a test was skipped; every one must run against the server" >&2
  status=1
fi
if [ "$status" -ne 0 ]; then echo "--- server log"; cat "$work/server.log"; fi
exit "$status"
