#!/usr/bin/env bash
# Prints the processor time the editor costs, as a percentage of one core over SECONDS each
# (default 10): the whole Wine session (the editor, wineserver, Wine's own processes and the
# X server) minus the same session measured idle before the editor starts, and the editor
# alone beside it. Measured shown and idle on the first page (the figure's standing animation
# running), while an action is played again and again, while a script plays, minimised and
# hidden in the tray. Run after scripts/build.sh; it runs the editor in a Wine session of its
# own (its own Xvfb when there is no display, which the session figure then includes).
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
  seconds=$LIKENEX_MEASURE_SECONDS
  ctl() { wine build/windows/tools/likenex-window-ctl.exe "$@"; }
  ticks=$(getconf CLK_TCK)
  xserver=$(pgrep -P "$PPID" -x Xvfb || true)
  # The session: its X server when it has its own, and every process of this Wine prefix.
  session_pids() {
    [ -n "$xserver" ] && echo "$xserver"
    grep -lsz "^WINEPREFIX=$WINEPREFIX\$" /proc/[0-9]*/environ | cut -d/ -f3 || true
  }
  cpu_of() { for p in "$@"; do awk "{ print \$14 + \$15 }" "/proc/$p/stat" 2>/dev/null || echo 0; done | paste -sd+ | bc; }
  # Ticks used by the session and by the editor over the measured span; runs "$@" meanwhile.
  measure() {
    local pids editor s0 e0 s1 e1
    pids=$(session_pids | sort -u)
    editor=$(pgrep -n -x Likenex.exe || true)
    s0=$(cpu_of $pids); e0=$( [ -n "$editor" ] && cpu_of "$editor" || echo 0)
    if [ $# -gt 0 ]; then "$@"; else sleep "$seconds"; fi
    s1=$(cpu_of $pids); e1=$( [ -n "$editor" ] && cpu_of "$editor" || echo 0)
    echo "$((s1 - s0)) $((e1 - e0))"
  }
  percent() { awk -v d="$1" -v t="$ticks" -v s="$seconds" "BEGIN { printf \"%.1f\", 100 * d / (t * s) }"; }
  report() {  # label, session ticks, editor ticks
    printf "%-40s session %5s%% above idle, editor alone %5s%%\n" "$1:" \
      "$(percent $(( $2 - baseline )))" "$(percent "$3")"
  }
  # Clicks at a point again and again for the measured span.
  keep_clicking() {
    local end=$((SECONDS + seconds))
    while [ $SECONDS -lt $end ]; do ctl click "$1" "$2"; sleep "$3"; done
  }

  wine cmd /c exit >/dev/null 2>&1 || true   # wineserver and Wine s own processes up
  sleep 2
  read baseline _ < <(measure)

  wine build/program/Likenex.exe $LIKENEX_SERVER_ARGS &
  ctl wait 120
  sleep 3
  read s e < <(measure); shown="$s $e"

  # The script page: an action, a step with words and one without (as scripts/screenshots.sh).
  for i in 1 2 3 4 5 6 7; do ctl click 600 470; done
  ctl click 80 190; ctl click 100 480; ctl type "Hello!"; ctl click 260 490
  ctl click 80 209; ctl click 260 490
  sleep 3
  read s e < <(measure keep_clicking 80 190 2); action="$s $e"
  read s e < <(measure keep_clicking 421 507 4); script="$s $e"

  ctl minimise
  sleep 2
  read s e < <(measure); minimised="$s $e"
  ctl restore
  sleep 1
  ctl click 622 13                            # the frame s tray button
  sleep 2
  read s e < <(measure); tray="$s $e"
  ctl close || true
  for i in $(seq 100); do pgrep -x Likenex.exe >/dev/null || break; sleep 0.1; done
  pkill -x Likenex.exe || true
  wait || true

  echo "over $seconds s each; idle session without the editor: $(percent "$baseline")% of one core"
  report "shown and idle (standing animation)" $shown
  report "shown, an action played every 2 s" $action
  report "shown, a script playing" $script
  report "minimised" $minimised
  report "hidden in the tray" $tray
'
