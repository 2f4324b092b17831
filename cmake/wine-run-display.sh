#!/usr/bin/env bash
# Runs one Windows program under Wine (wine-run.sh) on a private virtual X
# display of its own, for the programs that create windows: Wine draws them in
# X, and with no window manager it draws their frames itself, as Windows does.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
command -v xvfb-run >/dev/null || { echo "wine-run-display.sh: xvfb-run is missing (Debian package xvfb)" >&2; exit 127; }
export SKARVEL_WINE_DISPLAY=1
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$here/wine-run.sh" "$@"
