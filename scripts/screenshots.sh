#!/usr/bin/env bash
# Makes the README's pictures of the main window (docs/window-collapsed.png and
# docs/window-shown.png): builds the programs, starts the desktop program on a
# private virtual display (Xvfb), lists a sample archive, runs an update and
# takes each picture with ImageMagick's import. SKARVEL_BUILD_DIR chooses the
# build folder (default: the dev preset's).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build_dir=${SKARVEL_BUILD_DIR:-build/dev}
cmake --preset dev -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target Skarvel skarvel-cli -j "$(nproc)" >/dev/null
SKARVEL_APP=$(pwd)/$build_dir/app/Skarvel SKARVEL_CLI=$(pwd)/$build_dir/cli/skarvel-cli \
  /usr/bin/python3 scripts/screenshots.py "${1:-docs}"
