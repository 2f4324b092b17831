#!/usr/bin/env bash
# Tries to install Wine's 32-bit loader (wine32:i386), with which the players'
# 32-bit Windows build runs its tests. It needs the i386 architecture in dpkg;
# when anything on the way fails (the package archive's i386 indexes have been
# seen to fail apt-get update with a size mismatch), the architecture is
# removed again, so that every later install on this machine still works.
# Exits 0 when the loader is there, 1 when it could not be had.
set -uo pipefail

loader=/usr/lib/wine/wine
[ -x "$loader" ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get)

had_i386=no
dpkg --print-foreign-architectures | grep -qx i386 && had_i386=yes

give_up() {
  echo "install-wine32.sh: $1; the 32-bit Windows tests are left out" >&2
  if [ "$had_i386" = no ]; then
    "${as_root[@]}" dpkg --remove-architecture i386 2>/dev/null
    "${apt[@]}" update >/dev/null 2>&1
  fi
  exit 1
}

"${as_root[@]}" dpkg --add-architecture i386 || give_up "dpkg refused the i386 architecture"
# apt-get update exits 0 even when an index failed; its warnings say so.
update_log=$("${apt[@]}" update 2>&1)
status=$?
if [ $status -ne 0 ] || grep -qE '^(E:|W: Failed to fetch)' <<<"$update_log"; then
  # The reason without the archive's address.
  why=$(grep -E '^(E:|W:)' <<<"$update_log" | head -n 1 | sed -E 's/https?:[^ ]*//g; s/\[IP:[^]]*\]//g')
  give_up "apt-get update failed with the i386 architecture ($why)"
fi
"${apt[@]}" install -y --no-install-recommends wine32:i386 >/dev/null 2>&1 || give_up "wine32:i386 did not install"
[ -x "$loader" ] || give_up "wine32:i386 installed no $loader"
echo "install-wine32.sh: Wine's 32-bit loader is installed"
