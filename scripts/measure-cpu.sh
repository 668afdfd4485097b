#!/usr/bin/env bash
# Prints the processor time the running editor uses over 10 seconds, as a percentage of one
# core: first shown and active, then minimised. Run after scripts/build.sh; it runs the
# editor in a Wine session of its own (its own Xvfb when there is no display).
#
#   scripts/measure-cpu.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
export LIKENEX_MEASURE_SECONDS=${1:-10}
# The editor asks a server for the newest version at start and says so when none answers.
source scripts/tests/test-server.sh
serve_the_editor build
scripts/wine-run --prefix build/wine-measure --session bash -c '
  set -euo pipefail
  ctl="wine build/windows/tools/likenex-window-ctl.exe"
  wine build/program/Likenex.exe $LIKENEX_SERVER_ARGS &
  $ctl wait 120
  sleep 2
  pid=$(pgrep -n -x Likenex.exe)
  ticks=$(getconf CLK_TCK)
  cpu() { awk "{ print \$14 + \$15 }" "/proc/$pid/stat"; }
  measure() {
    local before after
    before=$(cpu); sleep "$LIKENEX_MEASURE_SECONDS"; after=$(cpu)
    awk -v d=$((after - before)) -v t="$ticks" -v s="$LIKENEX_MEASURE_SECONDS" \
      "BEGIN { printf \"%.1f\", 100 * d / (t * s) }"
  }
  shown=$(measure)
  $ctl minimise
  sleep 1
  minimised=$(measure)
  $ctl close
  wait
  echo "shown and active: ${shown}% of one core over ${LIKENEX_MEASURE_SECONDS} s"
  echo "minimised:        ${minimised}% of one core over ${LIKENEX_MEASURE_SECONDS} s"
'
