#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Skarvel need, when
# any is missing. Runs apt-get update first, as root or through sudo.
set -euo pipefail

packages=(build-essential cmake ninja-build libgtest-dev clang libclang-rt-14-dev llvm)

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
