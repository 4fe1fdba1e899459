#!/usr/bin/env bash
# Cross-builds the Windows program on Debian with mingw-w64: one static
# dist/fragtally-windows/fragtally.exe (it imports the system's DLLs only)
# and a README for players. Installs what is missing first.
#
#   bash scripts/build-windows.sh           the program
#   bash scripts/build-windows.sh --tests   the program and the Windows tests (build-windows/)
set -euo pipefail
cd "$(dirname "$0")/.."

tests=OFF
if [ "${1:-}" = --tests ]; then
  tests=ON
  bash scripts/install-deps.sh --windows-tests
else
  bash scripts/install-deps.sh --windows
fi

cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DFRAGTALLY_BUILD_TESTS="$tests"
cmake --build build-windows -j"$(nproc)"

out=dist/fragtally-windows
rm -rf "$out"
mkdir -p "$out"
x86_64-w64-mingw32-strip -o "$out/fragtally.exe" build-windows/bin/fragtally.exe
# The players' read-me (the Linux install's too) in CR LF with a UTF-8 byte
# order mark, for any Windows editor.
{ printf '\xEF\xBB\xBF'; sed 's/$/\r/' packaging/README.txt; } >"$out/README.txt"

# Nothing beside the .exe: only the system's own DLLs may be imported.
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|ole32|oleaut32|msvcrt|advapi32|shell32|windowscodecs)\.dll$'
imports=$(x86_64-w64-mingw32-objdump -p "$out/fragtally.exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
bad=$(echo "$imports" | tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)
if [ -n "$bad" ]; then
  echo "build-windows: fragtally.exe imports DLLs that Windows does not have: $bad" >&2
  exit 1
fi
echo "build-windows: $out/fragtally.exe ($(stat -c %s "$out/fragtally.exe") bytes; imports:" $imports")"
