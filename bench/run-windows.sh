#!/usr/bin/env bash
# Builds the optimised Windows executables with their benchmarks (preset
# windows-release) and runs each benchmark under Wine on a private display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset windows-release -DSKARVEL_BUILD_BENCH=ON >/dev/null
cmake --build --preset windows-release -j "$(nproc)"
for bench in build/windows-release/bin/bench_*.exe; do
  echo "=== $(basename "$bench")"
  bash cmake/wine-run-display.sh "$bench"
done
