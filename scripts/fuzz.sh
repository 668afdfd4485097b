#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in ./build-fuzz and runs a campaign over them, one
# after another, or keeps what a campaign found in the committed corpora.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     a campaign, e.g. scripts/fuzz.sh 300 catalogue_fuzz
#   scripts/fuzz.sh minimise [TARGET...]      merges the campaign's finds into the committed corpora
#
# SECONDS (default 60) is each target's run time; without TARGET every fuzz target runs (every
# likenex_fuzz_target of the tree's CMakeLists.txt files). Each target starts from its committed
# corpus, <folder>/fuzz/corpus/<target>/ beside its source, and from the seeds that
# likenex_fuzz_seeds and likenex_ui_fuzz_seeds make with the writers; what it finds grows in
# build-fuzz/corpus/<target>. A crashing input is saved as build-fuzz/artifacts/<target>/crash-*
# and makes the script fail. At the end a table gives each target's executions, coverage
# (libFuzzer's cov: and ft: counters) and run time. Extra libFuzzer options can be given in
# LIKENEX_FUZZ_ARGS.
#
# "minimise" keeps the committed corpus small: the seed-* and crash-* files stay, and of
# everything else (committed or found) only the inputs that add coverage are kept (-merge=1),
# the smallest first, up to LIKENEX_CORPUS_BYTES (default 32768) per target.
# Crash inputs are copied from build-fuzz/artifacts/ too: commit one once its fault is fixed,
# since the normal test run replays every committed input (the <target>_replay tests).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build-fuzz

mode=campaign
if [ "${1:-}" = minimise ]; then
  mode=minimise
  shift
fi
seconds=60
if [ $mode = campaign ] && [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi

# Every fuzz target and the folder whose CMakeLists.txt declares it.
declare -A folder_of
all=()
while IFS=: read -r file name; do
  folder_of[$name]=$(dirname "$file")
  all+=("$name")
done < <(grep -o 'likenex_fuzz_target([a-z0-9_]*' -- */CMakeLists.txt | sed 's/likenex_fuzz_target(//')
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then targets=("${all[@]}"); fi
for target in "${targets[@]}"; do
  if [ -z "${folder_of[$target]:-}" ]; then
    echo "fuzz.sh: no fuzz target $target (known: ${all[*]})" >&2
    exit 2
  fi
done

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLIKENEX_FUZZ=ON -DLIKENEX_WINDOWS=OFF -DLIKENEX_SANITIZE=OFF >/dev/null
# The build is shared with other builds on this machine: it waits for the build lock.
flock /tmp/likenex-build.lock cmake --build "$build" --target likenex_fuzz_seeds likenex_ui_fuzz_seeds "${targets[@]}"

program_of() { find "$build" -name "$1" -type f -perm -u+x | head -n 1; }
committed_of() { echo "$root/${folder_of[$1]}/fuzz/corpus/$1"; }

if [ $mode = minimise ]; then
  for target in "${targets[@]}"; do
    program=$(program_of "$target")
    committed=$(committed_of "$target")
    mkdir -p "$committed" "$build/corpus/$target"
    kept=$(mktemp -d)
    cp "$committed"/seed-* "$committed"/crash-* "$build/corpus/$target"/seed-* "$kept"/ 2>/dev/null || true
    cp "$build/artifacts/$target"/crash-* "$kept"/ 2>/dev/null || true
    others=$(mktemp -d)
    find "$committed" -maxdepth 1 -type f ! -name 'seed-*' ! -name 'crash-*' -exec cp {} "$others"/ \;
    fixed=$(mktemp -d)
    cp "$kept"/* "$fixed"/ 2>/dev/null || true
    "$program" -merge=1 "$kept" "$others" "$build/corpus/$target" >"$build/merge-$target.log" 2>&1
    # The merge prefers small inputs; past the budget the largest finds go, seeds and crashes stay.
    budget=${LIKENEX_CORPUS_BYTES:-32768}
    used=0
    while read -r size file; do
      [ -e "$fixed/$(basename "$file")" ] && continue
      if [ $((used + size)) -gt "$budget" ]; then rm -f "$file"; else used=$((used + size)); fi
    done < <(find "$kept" -type f -printf '%s %p\n' | sort -n)
    rm -rf "$committed" "$others" "$fixed"
    mkdir -p "$committed"
    cp "$kept"/* "$committed"/
    rm -rf "$kept"
    echo "$target: $(find "$committed" -type f | wc -l) files, $(du -cb "$committed"/* | tail -n 1 | cut -f1) bytes in $committed"
  done
  exit 0
fi

"$build"/catalogue/likenex_fuzz_seeds "$build/corpus"
"$build"/ui/likenex_ui_fuzz_seeds "$build/corpus"

status=0
summary=()
for target in "${targets[@]}"; do
  program=$(program_of "$target")
  committed=$(committed_of "$target")
  mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
  corpora=("$build/corpus/$target")
  if [ -d "$committed" ]; then corpora+=("$committed"); fi
  echo "== $target: ${seconds}s"
  log=$build/artifacts/$target/log.txt
  started=$(date +%s)
  # -print_final_stats gives the executions; cov: on the last status line is the coverage.
  if ! "$program" "${corpora[@]}" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$target/" ${LIKENEX_FUZZ_ARGS:-} 2>"$log"; then
    status=1
  fi
  took=$(( $(date +%s) - started ))
  grep -E 'SUMMARY|ERROR|fuzz check failed|broken promise' "$log" || true
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corpus=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
  crashes=$(find "$build/artifacts/$target" -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' | wc -l)
  summary+=("$(printf '%-24s %12s %7s %7s %12s %6ss %8s' "$target" "${runs:-?}" "${cov:-?}" "${ft:-?}" "${corpus:-?}" \
    "$took" "$crashes")")
done

echo
echo "Fuzz campaign, ${seconds}s per target, on $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) cores"
printf '%-24s %12s %7s %7s %12s %7s %8s\n' target executions cov ft corpus time faults
printf '%s\n' "${summary[@]}"
exit $status
