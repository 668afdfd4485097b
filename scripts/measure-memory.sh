#!/usr/bin/env bash
# Prints the editor's working set under Wine: after start, after visiting every page once, and
# over a soak of MINUTES (default 10) clicking through the pages by their tabs again and again,
# dressing the figure on each page of items, sampled every 30 s: the first, middle and last
# samples and the largest, in MiB. The working set is the resident size of the editor's process
# (VmRSS in /proc), which is what Wine's GetProcessMemoryInfo reports too (printed once beside
# it, from `likenex-window-ctl memory`). Run after scripts/build.sh; build/program/Likenex.exe
# is the test build's editor.
#
#   scripts/measure-memory.sh [MINUTES]
set -euo pipefail
cd "$(dirname "$0")/.."
export LIKENEX_SOAK_MINUTES=${1:-10}
# The editor asks a server for the newest version at start and says so when none answers.
source scripts/tests/test-server.sh
serve_the_editor build
scripts/wine-run --prefix build/wine-measure --session bash -c '
  set -euo pipefail
  ctl() { wine build/windows/tools/likenex-window-ctl.exe "$@"; }
  wine build/program/Likenex.exe $LIKENEX_SERVER_ARGS &
  ctl wait 120
  sleep 3
  pid=$(pgrep -n -x Likenex.exe)
  kib() { awk "/^VmRSS:/ { print \$2 }" "/proc/$pid/status"; }
  mib() { awk -v k="$1" "BEGIN { printf \"%.1f MiB\", k / 1024 }"; }
  echo "after start:              $(mib "$(kib)") (Wine: $(ctl memory))"

  next="600 470"
  # Every page once by the next button; the script page lets the upload page follow only
  # once the script has a step, so an action is chosen and added on the way.
  ctl clicks 400 7 $next
  ctl clicks 400 2 80 190 260 490
  ctl clicks 400 1 $next
  sleep 2
  echo "after visiting each page: $(mib "$(kib)")"

  # The tabs of the pages before the upload page, with an item chosen on each page of items
  # (not outfits, which would hide three tabs), then the upload page by the next button.
  round() {
    local cell=$(( $1 % 2 == 0 ? 77 : 180 ))
    ctl clicks 250 15 39 96 89 96 $cell 211 139 96 189 96 $cell 211 239 96 $cell 211 \
      289 96 $cell 211 339 96 $cell 211 389 96 $next
  }
  samples=()
  rounds=0
  start=$SECONDS
  end=$((start + LIKENEX_SOAK_MINUTES * 60))
  due=$start
  while :; do
    if [ "$SECONDS" -ge "$due" ]; then
      samples+=("$(kib)")
      echo "  soak at $((SECONDS - start)) s: $(mib "${samples[-1]}") after $rounds rounds"
      due=$((due + 30))
    fi
    [ "$SECONDS" -lt "$end" ] || break
    round "$rounds"
    rounds=$((rounds + 1))
  done
  ctl close
  wait
  n=${#samples[@]}
  max=$(printf "%s\n" "${samples[@]}" | sort -n | tail -1)
  echo "soak of $LIKENEX_SOAK_MINUTES min, $rounds rounds of 15 clicks, $n samples:"
  echo "  start $(mib "${samples[0]}"), middle $(mib "${samples[n / 2]}"), end $(mib "${samples[n - 1]}"), maximum $(mib "$max")"
'
