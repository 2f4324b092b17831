#!/usr/bin/env bash
# Installs what is missing, builds the desktop program and starts it. Without a
# display (no DISPLAY or WAYLAND_DISPLAY) it says so and points to the
# demonstration of the command line. Arguments are handed to the program.
# SKARVEL_BUILD_DIR chooses the build folder (default: the release preset's).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "There is no display to show the Skarvel window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Run this from a desktop session, or see the command line at work: bash scripts/demo.sh" >&2
  exit 1
fi
bash scripts/install-deps.sh
build_dir=${SKARVEL_BUILD_DIR:-build/release}
echo "=== building Skarvel in $build_dir"
cmake --preset release -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target Skarvel skarvel-cli -j "$(nproc)" >/dev/null
exec "$build_dir/app/Skarvel" "$@"
