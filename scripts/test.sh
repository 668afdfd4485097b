#!/usr/bin/env bash
# The project's test command: sets up the machine, builds both builds and runs every test,
# host and Windows. The Windows tests run in one Wine session (one prefix, one Xvfb display
# of our own when there is none, one wineserver kept warm for the whole run).
#
#   scripts/test.sh [CTEST ARGS...]     e.g. scripts/test.sh -R app_win_tests
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec scripts/wine-run --prefix build/windows/wine --session \
  ctest --test-dir build --output-on-failure "$@"
