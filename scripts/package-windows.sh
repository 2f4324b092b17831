#!/usr/bin/env bash
# The Windows archive for players: builds the optimised 32-bit Windows
# executables (preset windows-release, i686, a 32-bit program like the game),
# packs them with cpack into build/windows-release/Skarvel-<version>-win32.zip,
# and checks what it holds: the two programs and the read-me at its top, each
# program a 32-bit Windows program that needs nothing beyond the system's own
# DLLs, whose manifest asks for no execution level, built without a warning of
# a cast between function types (a wrong calling convention on 32-bit Windows).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --preset windows-release -DSKARVEL_BUILD_BENCH=OFF >/dev/null
# Built anew, so that the compiler's warnings are all seen.
build_log=$(mktemp)
trap 'rm -f "$build_log"' EXIT
cmake --build --preset windows-release -j "$(nproc)" --clean-first 2>&1 | tee "$build_log"
if grep -q 'Wcast-function-type' "$build_log"; then
  echo "package-windows.sh: the 32-bit build casts between function types:" >&2
  grep -B2 'Wcast-function-type' "$build_log" >&2
  exit 1
fi
(cd build/windows-release && cpack -G ZIP >/dev/null)
version=$(sed -n 's/^project(Skarvel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip=build/windows-release/Skarvel-$version-win32.zip
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
trap 'rm -rf "$unpacked" "$build_log"' EXIT
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$unpacked"
system='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|msvcrt|ws2_32|uxtheme|api-ms-win-.*)\.dll$'
for program in Skarvel.exe skarvel-cli.exe; do
  headers=$(i686-w64-mingw32-objdump -p "$unpacked/$program")
  grep -q 'file format pei-i386' <<<"$headers" && ! grep -q 'PE32+' <<<"$headers" ||
    { echo "package-windows.sh: $program is no 32-bit (i386) Windows program" >&2; exit 1; }
  others=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | grep -Ev "$system" || true)
  if [ -n "$others" ]; then
    echo "package-windows.sh: $program needs DLLs a bare Windows lacks: $others" >&2
    exit 1
  fi
done
i686-w64-mingw32-objdump -p "$unpacked/Skarvel.exe" | grep -c 'Subsystem\s*00000002' >/dev/null ||
  { echo "package-windows.sh: Skarvel.exe is not a program of the Windows subsystem" >&2; exit 1; }
# The manifest lies in the resources as its own text.
python3 - "$unpacked/Skarvel.exe" <<'PY' || exit 1
import sys
data = open(sys.argv[1], "rb").read()
if b"Microsoft.Windows.Common-Controls" not in data:
    sys.exit("package-windows.sh: Skarvel.exe carries no manifest of the common controls")
if b"requestedExecutionLevel" in data:
    sys.exit("package-windows.sh: Skarvel.exe's manifest asks for an execution level, so Windows would not virtualise it")
PY
echo "$zip: $(echo $listed | tr '\n' ' ')($(du -k "$zip" | cut -f1) KiB), system DLLs only"
