#!/usr/bin/env bash
# Click-to-picture latency of the editor under Wine: on the page of tops it clicks CLICKS times
# (default 100) on three tops in turn, 300 ms apart, so that every click dresses the figure
# anew, first with clicks posted to the editor's window, then with the same clicks as mouse
# input through the cursor (likenex-window-ctl). For each series it prints the median, 90th and
# 99th percentile and the largest time, in ms, from each click's message (its GetMessageTime)
# to the end of the first frame presented after it. The editor logs those times itself
# (LIKENEX_CLICK_LOG), so this needs a test build (scripts/build.sh). Beside them it prints
# what rebuilding a dressed figure's action costs natively, from the avatar benchmark
# (avatar_benchmarks) of a build without sanitizers, when one has been built (scripts/bench.sh,
# or that target in build-server).
#
#   scripts/measure-click.sh [CLICKS]
set -euo pipefail
cd "$(dirname "$0")/.."
clicks=${1:-100}
log=$(mktemp)
trap 'rm -f "$log" "$log.posted"' EXIT
export LIKENEX_CLICK_LOG="Z:${log//\//\\}" LIKENEX_CLICK_LOG_HOST=$log LIKENEX_CLICKS=$clicks
# The editor asks a server for the newest version at start and says so when none answers.
source scripts/tests/test-server.sh
serve_the_editor build
scripts/wine-run --prefix build/wine-measure --session bash -c '
  set -euo pipefail
  ctl() { wine build/windows/tools/likenex-window-ctl.exe "$@"; }
  wine build/program/Likenex.exe $LIKENEX_SERVER_ARGS &
  ctl wait 120
  sleep 2
  # The next button, three times (hats, outfits, tops), sent rather than posted: only the
  # clicks on the tops are logged.
  for page in 1 2 3; do ctl click 600 470; done
  sleep 1
  # The first row of the grid of tops, its three cells: clicks posted to the window, then the
  # same as mouse input.
  ctl clicks 300 "$LIKENEX_CLICKS" 77 211 180 211 283 211
  sleep 1
  mv "$LIKENEX_CLICK_LOG_HOST" "$LIKENEX_CLICK_LOG_HOST.posted"
  ctl input-clicks 300 "$LIKENEX_CLICKS" 77 211 180 211 283 211
  sleep 1
  ctl close
  wait
'
figures() {
  sort -n "$2" 2>/dev/null | awk -v how="$1" '
    { v[NR] = $1; queued += $2 }
    function at(p) { i = int(p * NR + 0.999999); return v[i < 1 ? 1 : i] }
    END {
      if (NR == 0) { print "no click was logged: is build/program/Likenex.exe a test build?"; exit 1 }
      printf "click to presented picture, %d clicks %s: median %.1f ms, p90 %.1f ms, p99 %.1f ms, max %.1f ms" \
        " (of which %.1f ms in the queue on average)\n", NR, how, at(0.5), at(0.9), at(0.99), v[NR], queued / NR
    }'
}
figures "posted to the window" "$log.posted"
figures "as mouse input" "$log"

bench=
for candidate in build-bench/avatar/avatar_benchmarks build-server/avatar/avatar_benchmarks; do
  [ -x "$candidate" ] && bench=$candidate && break
done
if [ -n "$bench" ]; then
  echo "rebuilding a dressed figure's action (the 16-frame dance), $bench:"
  "$bench" --benchmark_filter=BM_PlayActionSixteenFrames --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true 2>/dev/null | grep -E "_median"
else
  echo "no avatar_benchmarks built: scripts/bench.sh gives the rebuild time (BM_PlayActionSixteenFrames)"
fi
