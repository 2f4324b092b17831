#!/usr/bin/env bash
# Makes the README's pictures of the Windows program (docs/window-win32-*.png,
# docs/dialog-win32-*.png, docs/installer-win32-confirmation.png): builds the
# Windows executables, runs skarvel-screenshots.exe under Wine on a private
# virtual display (it starts Skarvel.exe, drives it and copies each window from
# the screen), and turns its bitmaps into PNG with ImageMagick. A second run on
# a screen at 150 % (144 dots per inch) gives docs/window-win32-shown-144dpi.png.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Skarvel skarvel-cli skarvel-screenshots -j "$(nproc)" >/dev/null
output=${1:-docs}
mkdir -p "$output"
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
# Wine reaches the Linux file system through its drive Z:.
bash cmake/wine-run-display.sh build/windows/bin/skarvel-screenshots.exe "Z:$(echo "$shots" | tr / '\\')"
for bitmap in "$shots"/*.bmp; do
  convert "$bitmap" "$output/$(basename "${bitmap%.bmp}").png"
done
rm -f "$shots"/*.bmp
SKARVEL_WINE_LOGPIXELS=144 bash cmake/wine-run-display.sh build/windows/bin/skarvel-screenshots.exe \
  "Z:$(echo "$shots" | tr / '\\')"
convert "$shots/window-win32-shown.bmp" "$output/window-win32-shown-144dpi.png"
echo "pictures written to $output"
