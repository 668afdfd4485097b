#!/usr/bin/env bash
# The contact sheets of the whole default catalogue, for judging it side by side: every item
# worn on the figure and every action's frames, each at 1x and enlarged 3x by whole pixels.
# At 1x every item shows in all eight directions and every action's first frame does too;
# at 3x the items show from the front, the side and the back, and the actions, ten to a
# sheet, show their first frame from the side and the back before their frames. Writes
# docs/sheets/ (or OUT_DIR).
#
#   scripts/catalogue-sheets.sh [PROGRAM_DIR] [OUT_DIR]     default build/program, docs/sheets
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/program}
out=${2:-docs/sheets}
tool=build/tools/likenex-data/likenex-data
[ -x "$tool" ] || scripts/build.sh
mkdir -p "$out"
sheet() {
  local name=$1
  shift
  "$tool" sheet "$program" -o "$out/$name.png" "$@" > "$out/$name.txt"
  # PNG as written, then squeezed losslessly where the tools allow.
  if command -v optipng > /dev/null; then optipng -quiet -o2 "$out/$name.png"; fi
  tail -n 1 "$out/$name.txt" | sed "s|^|$out/$name.png: |"
}
sheet wardrobe-1x --show wardrobe --per-row 2
sheet wardrobe-3x --show wardrobe --directions 7,1,3 --per-row 6 --scale 3
sheet actions-1x --show actions
# One picture of every action at 3x would be too large to open; ten actions a sheet.
mapfile -t actions < <(sed -n 's/^row [0-9]*: action \([0-9]*\).*/\1/p' "$out/actions-1x.txt")
rm -f "$out"/actions-3x-*.png "$out"/actions-3x-*.txt
for ((first = 0, part = 1; first < ${#actions[@]}; first += 10, part++)); do
  chunk=$(IFS=,; echo "${actions[*]:first:10}")
  sheet "actions-3x-$part" --show actions --actions "$chunk" --directions 1,3 --scale 3
done
