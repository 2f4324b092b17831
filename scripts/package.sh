#!/usr/bin/env bash
# Builds the Debian package of Skarvel (build/package/skarvel_*.deb). With
# --install it then installs it with apt-get, as root or through sudo, and runs
# the installed skarvel-cli: its version, and the listing of an archive that it
# creates, so a package that installs but cannot run is caught.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset package >/dev/null
cmake --build --preset package -j "$(nproc)"
rm -f build/package/skarvel_*.deb
cpack --preset package
deb=$(ls build/package/skarvel_*.deb)
echo "=== package: $deb"
dpkg-deb --info "$deb" | sed -n '/Depends/p'
dpkg-deb --contents "$deb" | awk '{print $6}'

[ "${1:-}" = "--install" ] || exit 0
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "./$deb"

echo "=== the installed programs"
for program in skarvel-cli Skarvel; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || { echo "/usr/bin/$program is not installed"; exit 1; }
done
for file in /usr/share/applications/skarvel.desktop /usr/share/mime/packages/skarvel-wad.xml \
  /usr/share/icons/hicolor/48x48/apps/skarvel.png /usr/share/icons/hicolor/256x256/apps/skarvel.png; do
  [ -s "$file" ] || { echo "$file is not installed"; exit 1; }
done
/usr/bin/skarvel-cli --version
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/sample/maps"
printf 'first file\n' > "$work/sample/readme.txt"
printf 'second file\n' > "$work/sample/maps/track.dat"
/usr/bin/skarvel-cli create "$work/sample" "$work/sample.wad"
listing=$(/usr/bin/skarvel-cli list "$work/sample.wad")
echo "$listing"
[ "$(echo "$listing" | wc -l)" -eq 2 ] || { echo "the installed skarvel-cli listed a wrong archive"; exit 1; }
