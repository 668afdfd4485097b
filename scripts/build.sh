#!/usr/bin/env bash
# Builds everything into ./build: the host build, and through it the Windows build in
# ./build/windows. The programs and their data land in ./build/program.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja
fi
cmake --build build "$@"
