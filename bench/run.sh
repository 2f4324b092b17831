#!/usr/bin/env bash
# Builds the optimised preset and runs every benchmark. Each benchmark makes its
# own data (set SKARVEL_BENCH_DIR to choose where; default: a temporary folder),
# measures cp or tar on the same data in the same run, and prints its ratios.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
for bench in build/release/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "=== $(basename "$bench")"
  "$bench"
done
