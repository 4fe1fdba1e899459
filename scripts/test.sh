#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the plain build first,
# the HTML report's screenshot, the install test (install into a game folder,
# start from the launcher, uninstall), a smoke run of the benchmarks, then the
# whole suite again under the address and undefined-behaviour sanitizers;
# last, the Windows program, cross-built and tested under Wine
# (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

# Qt is installed here, so it is forbidden instead: anything that asked for it
# would fail to configure.
echo "== the core, its tests and the benchmarks without Qt (a clean folder) =="
rm -rf build-core
cmake -S . -B build-core -DCMAKE_BUILD_TYPE=Release -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
  -DFRAGTALLY_BUILD_WINDOW=OFF -DFRAGTALLY_BUILD_TESTS=ON -DFRAGTALLY_BUILD_BENCH=ON
cmake --build build-core -j"$jobs"

echo "== build and test =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRAGTALLY_BUILD_WINDOW=ON -DFRAGTALLY_BUILD_TESTS=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== the HTML report in headless Chromium: its screenshot shows the table and the charts =="
bash tests/html/report_picture_test.sh build

echo "== install into a game folder, start from the launcher, uninstall (Release build) =="
bash tests/install/install_test.sh

echo "== benchmarks on tiny inputs (a check that they run, not a measurement) =="
bash scripts/bench.sh --smoke

echo "== build and test under sanitizers =="
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DFRAGTALLY_SANITIZE=ON -DFRAGTALLY_BUILD_WINDOW=ON -DFRAGTALLY_BUILD_TESTS=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

# --- Windows -----------------------------------------------------------------------------
# The Windows program, cross-built with mingw-w64 and tested under Wine on Xvfb:
# the core suite, the window in-process, the platform layer, and the real
# fragtally.exe driven from another process, compared with the Linux window's
# results (build/bin/reference_run, built above) byte for byte.
echo "== Windows: cross-build with mingw-w64, test under Wine =="
bash scripts/test-windows.sh
