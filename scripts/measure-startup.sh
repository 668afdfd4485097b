#!/usr/bin/env bash
# Start-up time of Likenex.exe under Wine beside its floor, likenex-gl-floor (a window, an
# OpenGL context and one cleared frame, nothing else). The two are started alternately, the
# same way, in one Wine session with a warm wineserver; one start of each before the measured
# runs warms the wineserver and the file cache and is not counted. Prints, with units: the
# median time from process creation to the first drawn frame of each, their ratio, and for
# each program a table of its start-up steps (the median time each step ended, counted from
# process creation, and the median time it took since the step before).
# Needs a built tree (scripts/build.sh, and the likenex-gl-floor target): a test build, since
# the timing log (LIKENEX_TIMING_LOG) is one of its test seams and a release has none.
#
#   scripts/measure-startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
floor=build/windows/tools/likenex-gl-floor.exe
[ -f "$floor" ] || { echo "measure-startup: $floor is missing; build likenex-gl-floor" >&2; exit 1; }
logs=$(mktemp -d)
export LIKENEX_TIMING_LOGS_HOST=$logs
# The editor asks a server for the newest version at start and says so when none answers.
source scripts/tests/test-server.sh
serve_the_editor build
trap 'stop_test_server; rm -rf "$logs"' EXIT
scripts/wine-run --prefix build/wine-run --session bash -c '
  # start NAME LOG PROGRAM [ARGS...]: one start, until its first frame is logged, then closed.
  start() {
    local name=$1 log=$2
    shift 2
    LIKENEX_TIMING_LOG="Z:${log//\//\\}" wine "$@" &
    for t in $(seq 200); do grep -q "^first frame" "$log" 2>/dev/null && break; sleep 0.05; done
    grep -q "^first frame" "$log" 2>/dev/null || echo "measure-startup: no first frame from $name in 10 s" >&2
    wine build/windows/tools/likenex-window-ctl.exe close || true
    wait || true
    sleep 0.5
  }
  for i in $(seq 0 "$0"); do
    start floor "$LIKENEX_TIMING_LOGS_HOST/floor-$i.txt" "$1"
    start editor "$LIKENEX_TIMING_LOGS_HOST/editor-$i.txt" build/program/Likenex.exe $LIKENEX_SERVER_ARGS
  done
' "$runs" "$floor"

python3 - "$logs" "$runs" <<'EOF'
import re, statistics, sys

folder, runs = sys.argv[1], int(sys.argv[2])
line = re.compile(r"^(?:step (.+)|(first frame)) (\d+) ms after the process started\s*$")


def read(program):
    """Each measured run's (name, ms) list, in the order written; run 0 is the warm-up."""
    result = []
    for run in range(1, runs + 1):
        try:
            with open(f"{folder}/{program}-{run}.txt") as f:
                times = [(m.group(1) or m.group(2), int(m.group(3))) for m in map(line.match, f) if m]
        except FileNotFoundError:
            continue
        names = [name for name, _ in times]
        if "first frame" in names:
            result.append(times[:names.index("first frame") + 1])
    return result


def median(values):
    return statistics.median_low(values)


def table(title, measured):
    print(f"{title}, medians over {len(measured)} runs:")
    print(f"  {'step':<26}{'ended (ms)':>12}{'took (ms)':>12}")
    for index, (name, _) in enumerate(measured[0]):
        ended = [run[index][1] for run in measured if index < len(run) and run[index][0] == name]
        took = [run[index][1] - (run[index - 1][1] if index else 0)
                for run in measured if index < len(run) and run[index][0] == name]
        print(f"  {name:<26}{median(ended):>12}{median(took):>12}")


floor, editor = read("floor"), read("editor")
if not floor or not editor:
    sys.exit(f"measure-startup: first frames from {len(floor)} floor and {len(editor)} editor runs of {runs}")
floor_ms = median([run[-1][1] for run in floor])
editor_ms = median([run[-1][1] for run in editor])
print(f"floor (likenex-gl-floor): first frame median {floor_ms} ms over {len(floor)} runs "
      f"({', '.join(str(run[-1][1]) for run in floor)} ms)")
print(f"editor (Likenex.exe): first frame median {editor_ms} ms over {len(editor)} runs "
      f"({', '.join(str(run[-1][1]) for run in editor)} ms)")
print(f"editor / floor: {editor_ms / floor_ms:.2f} (the goal is at most 1.30)" if floor_ms else "floor: 0 ms")
table("editor steps", editor)
table("floor steps", floor)
EOF
