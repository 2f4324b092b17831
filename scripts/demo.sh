#!/usr/bin/env bash
# The program's main job on a small sample: installs what is missing, builds
# skarvel-cli, makes a sample folder in a temporary folder, creates an archive
# from it, lists it, patches it from a second folder (one replaced file, one new
# one) after showing the plan, verifies it and extracts it again.
# SKARVEL_BUILD_DIR chooses the build folder (default: the dev preset's).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
build_dir=${SKARVEL_BUILD_DIR:-build/dev}
echo "=== building skarvel-cli in $build_dir"
cmake --preset dev -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target skarvel-cli -j "$(nproc)" >/dev/null
cli=$(pwd)/$build_dir/cli/skarvel-cli
[ -x "$cli" ] || cli=$build_dir/cli/skarvel-cli

work=$(mktemp -d "${TMPDIR:-/tmp}/skarvel-demo-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

run() {
  echo
  echo "\$ skarvel-cli $*"
  "$cli" "$@" 2>&1
}

echo "=== sample folders in $work"
mkdir -p sample/cars sample/maps/monza2001/race patch/maps patch/extras
printf 'Skarvel demonstration archive\n' > sample/readme.txt
printf 'car texture %.0s' {1..40} > sample/cars/car01.tex
printf 'track data %.0s' {1..25} > sample/maps/monza2001/track.dat
printf 'race setup\n' > sample/maps/monza2001/race/setup.txt
printf 'Skarvel demonstration archive, patched\n' > patch/readme.txt
printf 'a file the archive did not hold\n' > patch/extras/new.txt
find sample patch -type f | sort

run create sample demo.wad
run list demo.wad
run update demo.wad patch --dry-run
run update demo.wad patch
run list demo.wad --json
run verify demo.wad
run extract demo.wad extracted
echo
echo "=== extracted files"
find extracted -type f | sort
cmp extracted/readme.txt patch/readme.txt && echo "readme.txt holds the patched text"
cmp extracted/cars/car01.tex sample/cars/car01.tex && echo "cars/car01.tex is as it was packed"
