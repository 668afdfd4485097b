#!/usr/bin/env bash
# Start-up time of Likenex.exe under Wine, from process creation to its first drawn frame,
# over several runs with a warm wineserver (the first run starts it cold). Needs a built tree (scripts/build.sh):
# a test build, since the timing log (LIKENEX_TIMING_LOG) is one of its test seams and a release has none.
#
#   scripts/measure-startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
log=$(mktemp)
export LIKENEX_TIMING_LOG_HOST=$log
# The editor asks a server for the newest version at start and says so when none answers.
source scripts/tests/test-server.sh
serve_the_editor build
scripts/wine-run --prefix build/wine-run --session bash -c '
  export LIKENEX_TIMING_LOG="Z:${LIKENEX_TIMING_LOG_HOST//\//\\}"
  for i in $(seq "$0"); do
    wine build/program/Likenex.exe $LIKENEX_SERVER_ARGS &
    for t in $(seq 100); do [ "$(wc -l < "$LIKENEX_TIMING_LOG_HOST")" -ge "$i" ] && break; sleep 0.1; done
    wine build/windows/tools/likenex-window-ctl.exe close || true
    wait || true
    sleep 0.5
  done
' "$runs"
cat "$log"
sort -n -k3 "$log" | awk '{v[NR]=$3} END {if (NR) print "median:", v[int((NR+1)/2)], "ms over", NR, "runs"}'
rm -f "$log"
