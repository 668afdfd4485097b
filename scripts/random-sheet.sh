#!/usr/bin/env bash
# A contact sheet of avatars dressed at random, to judge the random dresser by eye: the codes of
# `likenex-data random` (seed and count as given), each drawn as the editor exports it, ten to
# a row, enlarged twice with whole pixels. Needs ImageMagick (montage, convert).
#
#   scripts/random-sheet.sh [SEED] [COUNT] [OUT.png]     default 27, 40, docs/random-avatars.png
set -euo pipefail
cd "$(dirname "$0")/.."
seed=${1:-27}
count=${2:-40}
out=${3:-docs/random-avatars.png}
tool=build/tools/likenex-data/likenex-data
[ -x "$tool" ] || scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
i=0
while read -r code; do
  i=$((i + 1))
  "$tool" render build/program --code "$code" --export -o "$work/$(printf %03d "$i").png"
done < <("$tool" random build/program --seed "$seed" --count "$count")
montage "$work"/*.png -tile 10x -geometry 96x96+4+4 -background white "$work/sheet.png"
convert "$work/sheet.png" -filter point -resize 200% -strip "$out"
echo "$out: $count avatars of seed $seed"
