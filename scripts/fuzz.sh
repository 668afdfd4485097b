#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in ./build-fuzz and runs them, one after another.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]    e.g. scripts/fuzz.sh 300 catalogue_fuzz
#
# SECONDS (default 60) is each target's run time; without TARGET every fuzz target runs.
# Corpora grow in build-fuzz/corpus/<target> (seeded by likenex_fuzz_seeds and
# likenex_ui_fuzz_seeds from the writers); a crashing input is saved as
# build-fuzz/artifacts/<target>/crash-* and makes the script fail. Extra libFuzzer options can be given in LIKENEX_FUZZ_ARGS.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLIKENEX_FUZZ=ON -DLIKENEX_WINDOWS=OFF -DLIKENEX_SANITIZE=OFF >/dev/null
all=(archive_index_fuzz avatar_archive_fuzz colour_table_fuzz catalogue_fuzz string_table_fuzz interface_archive_fuzz
  avatar_model_fuzz update_sanitizer_fuzz update_feed_page_fuzz update_merge_list_fuzz)
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then targets=("${all[@]}"); fi
cmake --build "$build" --target likenex_fuzz_seeds likenex_ui_fuzz_seeds "${targets[@]}"
"$build"/catalogue/likenex_fuzz_seeds "$build/corpus"
"$build"/ui/likenex_ui_fuzz_seeds "$build/corpus"

status=0
for target in "${targets[@]}"; do
  program=$(find "$build" -name "$target" -type f -perm -u+x | head -n 1)
  mkdir -p "$build/corpus/$target" "$build/artifacts/$target"
  echo "== $target: ${seconds}s"
  # -print_final_stats gives the executions; cov: on the last status line is the coverage.
  if ! "$program" "$build/corpus/$target" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$target/" ${LIKENEX_FUZZ_ARGS:-} \
      2>"$build/artifacts/$target/log.txt"; then
    status=1
  fi
  grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)|stat::number_of_executed_units|SUMMARY|ERROR' \
    "$build/artifacts/$target/log.txt" || true
done
exit $status
