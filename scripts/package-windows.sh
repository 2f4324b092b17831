#!/usr/bin/env bash
# The Windows archive for players: builds the optimised Windows executables
# (preset windows-release), packs them with cpack into
# build/windows-release/Skarvel-<version>-win64.zip, and checks what it holds:
# the two programs and the read-me at its top, each program a Windows program
# that needs nothing beyond the system's own DLLs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --preset windows-release -DSKARVEL_BUILD_BENCH=OFF >/dev/null
cmake --build --preset windows-release -j "$(nproc)"
(cd build/windows-release && cpack -G ZIP >/dev/null)
version=$(sed -n 's/^project(Skarvel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip=build/windows-release/Skarvel-$version-win64.zip
[ -f "$zip" ] || { echo "package-windows.sh: $zip was not made" >&2; exit 1; }

listed=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")
expected=$(printf '%s\n' README.txt Skarvel.exe skarvel-cli.exe)
if [ "$listed" != "$expected" ]; then
  echo "package-windows.sh: $zip holds"$'\n'"$listed"$'\n'"instead of"$'\n'"$expected" >&2
  exit 1
fi

# A bare Windows has its system DLLs and nothing else: no C++ runtime, no
# mingw DLL may be asked for.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$unpacked"
system='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|msvcrt|ws2_32|uxtheme|api-ms-win-.*)\.dll$'
for program in Skarvel.exe skarvel-cli.exe; do
  headers=$(x86_64-w64-mingw32-objdump -p "$unpacked/$program")
  grep -q 'PE32+' <<<"$headers" || { echo "package-windows.sh: $program is no 64-bit Windows program" >&2; exit 1; }
  others=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | grep -Ev "$system" || true)
  if [ -n "$others" ]; then
    echo "package-windows.sh: $program needs DLLs a bare Windows lacks: $others" >&2
    exit 1
  fi
done
x86_64-w64-mingw32-objdump -p "$unpacked/Skarvel.exe" | grep -c 'Subsystem\s*00000002' >/dev/null ||
  { echo "package-windows.sh: Skarvel.exe is not a program of the Windows subsystem" >&2; exit 1; }
echo "$zip: $(echo $listed | tr '\n' ' ')($(du -k "$zip" | cut -f1) KiB), system DLLs only"
