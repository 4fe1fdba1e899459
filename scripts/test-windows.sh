#!/usr/bin/env bash
# The Windows program's tests: cross-builds it and its tests with mingw-w64
# (scripts/build-windows.sh --tests), then runs them under Wine on a private
# Xvfb display with a throw-away Wine prefix (scripts/wine-run.sh): the core
# suite, the portable reliability tests, the window in-process, the platform
# layer, the check that fragtally.exe imports nothing Windows 7 SP1 lacks, the
# end-to-end test of dist/fragtally-windows/fragtally.exe against the Linux
# window (which needs build/bin/reference_run: the test command builds it
# first; alone, this script builds it too), and two starts of it in one game
# folder.
set -euo pipefail
cd "$(dirname "$0")/.."
now() { date +%s; }
started=$(now)

bash scripts/build-windows.sh --tests
# The Linux programs the Windows ones are compared with: the window's
# reference run (end to end) and the program itself (the exports).
if [ ! -x build/bin/reference_run ] || [ ! -x build/bin/fragtally ]; then
  bash scripts/install-deps.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAGTALLY_BUILD_WINDOW=ON -DFRAGTALLY_BUILD_TESTS=ON
  cmake --build build -j"$(nproc)" --target reference_run fragtally
fi
built=$(now)

scripts/wine-run.sh bash tests/win32/run_tests.sh build build-windows dist/fragtally-windows/fragtally.exe
echo "Windows tests: build $((built - started)) s, Wine runs $(($(now) - built)) s"
