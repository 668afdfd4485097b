#!/usr/bin/env bash
# Builds the host benchmarks without sanitizers in ./build-bench and runs them all.
#
#   scripts/bench.sh [BENCHMARK ARGS...]     e.g. scripts/bench.sh --benchmark_repetitions=5
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DLIKENEX_SANITIZE=OFF -DLIKENEX_WINDOWS=OFF >/dev/null
cmake --build build-bench
for program in $(find build-bench -name '*_benchmarks' -type f -perm -u+x | sort); do
  echo "== $program"
  "$program" "$@"
done
