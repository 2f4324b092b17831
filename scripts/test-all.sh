#!/usr/bin/env bash
# The whole test run: installs what is missing, builds, and runs every test,
# first in the ordinary build, then under the address and undefined-behaviour
# sanitizers, then the Windows build's tests under Wine, runs each libFuzzer
# target for a minute on its corpus, and builds and checks the Windows ZIP and
# the Debian package.
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

# The Windows executables (mingw-w64), each test program run under Wine in a
# Wine prefix of its own (cmake/wine-run.sh); the windows' tests and the
# end-to-end scenarios of Skarvel.exe on a virtual display of their own.
echo "=== windows: configure and build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
echo "=== windows: tests under Wine"
ctest --preset windows -j "$jobs"
# One test run per program under Wine: the counts of each, from its own output.
awk '/^[0-9]+\/[0-9]+ Test: /{program=$3} /^\[  (PASSED|SKIPPED|FAILED)  ?\] [0-9]+ test/{print "    " program ": " $0}' \
  build/windows/Testing/Temporary/LastTest.log

# The players' 32-bit build runs the same tests under Wine's 32-bit loader,
# which needs the i386 architecture; where the machine cannot install it the
# step says why and the run goes on without those tests.
echo "=== windows-x86: Wine's 32-bit loader"
if bash scripts/install-wine32.sh; then
  echo "=== windows-x86: configure, build and test under 32-bit Wine"
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 -j "$jobs"
  ctest --preset windows-x86 -j "$jobs"
  awk '/^[0-9]+\/[0-9]+ Test: /{program=$3} /^\[  (PASSED|SKIPPED|FAILED)  ?\] [0-9]+ test/{print "    " program ": " $0}' \
    build/windows-x86/Testing/Temporary/LastTest.log
fi

# A minute per target on the seed corpus: long enough to replay every seed and
# catch a fault that the seeds reach, short enough to keep the run well inside
# its time. Longer runs: bash fuzz/run.sh all SECONDS.
echo "=== fuzz: build the targets and run each for 60 s"
bash fuzz/run.sh all 60

# The Windows archive as players get it: built, and its contents checked.
echo "=== windows package: build and check the ZIP"
bash scripts/package-windows.sh

# The Debian package as users get it: built, installed with apt-get on this
# machine, and the installed skarvel-cli run once.
echo "=== package: build, install and run"
bash scripts/package.sh --install
