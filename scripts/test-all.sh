#!/usr/bin/env bash
# The whole test run: installs what is missing, builds, and runs every test,
# first in the ordinary build, then under the address and undefined-behaviour
# sanitizers, and finally runs each libFuzzer target for a minute on its corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
for preset in dev asan; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: tests"
  ctest --preset "$preset" -j "$jobs"
done

# A minute per target on the seed corpus: long enough to replay every seed and
# catch a fault that the seeds reach, short enough to keep the run well inside
# its time. Longer runs: bash fuzz/run.sh all SECONDS.
echo "=== fuzz: build the targets and run each for 60 s"
bash fuzz/run.sh all 60

# The Debian package as users get it: built, installed with apt-get on this
# machine, and the installed skarvel-cli run once.
echo "=== package: build, install and run"
bash scripts/package.sh --install
