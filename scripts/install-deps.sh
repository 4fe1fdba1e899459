#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Packages already installed are left alone; apt-get runs only when one is missing.
#
#   bash scripts/install-deps.sh [PACKAGE...]             everything, and the packages named
#   bash scripts/install-deps.sh --program [PACKAGE...]   only what building and running the
#                                                         window program needs, and the packages named
set -euo pipefail

# Building and running the program.
program=(
  build-essential cmake g++ pkg-config
  qt6-base-dev libgl-dev            # Qt 6 Core, Gui, Widgets, Test
  qt6-qpa-plugins                   # the offscreen and xcb platforms
  fonts-dejavu-core fonts-liberation  # fonts with Cyrillic; Liberation Sans fits the panel labels
)
# Testing, benchmarks, pictures and fuzzing besides.
development=(
  libgtest-dev libgmock-dev         # tests
  libbenchmark-dev                  # benchmarks
  xvfb xauth                        # a virtual display for screenshots
  time                              # /usr/bin/time -v for the start-up figure
  clang libclang-rt-14-dev          # fuzz targets (libFuzzer)
)

if [ "${1:-}" = --program ]; then
  shift
  packages=("${program[@]}" "$@")
else
  packages=("${program[@]}" "${development[@]}" "$@")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
