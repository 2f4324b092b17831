#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Skarvel need, when
# any is missing. Runs apt-get update first, as root or through sudo.
set -euo pipefail

# The desktop program needs Qt 6 Widgets and its platform plugins; its tests
# need a virtual display, the accessibility bus and the tools that drive it.
# The Windows builds need the mingw-w64 cross compilers (64-bit for the tested
# twin, 32-bit for the players' build), GoogleTest's sources to
# build for it, Wine to run its tests, and Wine's own fonts ("MS Sans Serif")
# for its windows. strace makes system calls fail for the fault-injection tests
# and counts them for the benchmarks.
packages=(build-essential cmake ninja-build libgtest-dev clang libclang-rt-14-dev llvm strace
  qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core fonts-dejavu-extra
  xvfb xauth xdotool imagemagick dbus-x11 at-spi2-core python3-pyatspi locales
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest wine64 fonts-wine)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
