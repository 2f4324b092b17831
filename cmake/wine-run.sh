#!/usr/bin/env bash
# Runs one Windows program under Wine, as CTest's cross-compiling emulator: in a
# fresh Wine prefix of its own in a temporary folder (set up by Wine in a few
# seconds on first use), without Wine's debug output and, unless
# SKARVEL_WINE_DISPLAY is set, without a display.
# The prefix goes when the program ends; the program's exit code is returned.
set -uo pipefail

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
[ -x "$wine" ] || { echo "wine-run.sh: $wine is missing (Debian package wine64)" >&2; exit 127; }
# A 32-bit program (PE machine 014c, the players' build) needs Wine's 32-bit
# loader, in the same prefix that the 64-bit Wine sets up.
loader=$wine
pe_offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
if [ -n "$pe_offset" ] && [ "$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')" = 014c ]; then
  loader=/usr/lib/wine/wine
  [ -x "$loader" ] || { echo "wine-run.sh: $1 is a 32-bit program and $loader is missing (wine32:i386)" >&2; exit 127; }
fi

prefix=$(mktemp -d "${TMPDIR:-/tmp}/skarvel-wine-XXXXXX")
cleanup() {
  WINEPREFIX=$prefix "$wineserver" -k 2>/dev/null
  WINEPREFIX=$prefix "$wineserver" -w 2>/dev/null
  rm -rf "$prefix"
}
trap cleanup EXIT

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Windows need a display (wine-run-display.sh gives one); every other program
# runs without, so that none can open a window by mistake.
if [ -z "${SKARVEL_WINE_DISPLAY:-}" ]; then
  export DISPLAY= WAYLAND_DISPLAY=
fi
# The prefix is set up first and apart, so its messages do not mix with the
# program's output.
"$wine" wineboot --init >/dev/null 2>&1
# Debian's Wine does not find its own fonts (package fonts-wine); a prefix
# finds those in its Fonts folder. The windows are laid out for "MS Sans Serif".
if [ -d /usr/share/wine/fonts ]; then
  cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null
fi
# With no window manager on the display, Wine draws the windows' frames itself,
# as Windows does, when it does not hand them to one.
if [ -n "${SKARVEL_WINE_DISPLAY:-}" ]; then
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
# A screen scale other than 96 dots per inch, as a player's laptop at 150 %
# has it: SKARVEL_WINE_LOGPIXELS=144. Wine reads it when a program starts.
if [ -n "${SKARVEL_WINE_LOGPIXELS:-}" ]; then
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$SKARVEL_WINE_LOGPIXELS" /f >/dev/null 2>&1
  "$wine" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$SKARVEL_WINE_LOGPIXELS" /f >/dev/null 2>&1
fi
"$loader" "$@"
