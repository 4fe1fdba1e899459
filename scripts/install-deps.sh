#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Packages already installed are left alone; apt-get runs only when one is missing.
#
#   bash scripts/install-deps.sh [PACKAGE...]             everything, and the packages named
#   bash scripts/install-deps.sh --program [PACKAGE...]   only what building and running the
#                                                         window program needs, and the packages named
#   bash scripts/install-deps.sh --windows [PACKAGE...]   only what cross-building the Windows program
#                                                         needs (mingw-w64), and the packages named
#   bash scripts/install-deps.sh --windows-tests [PACKAGE...]
#                                                         that, and what testing it under Wine needs
set -euo pipefail

# Building and running the program.
program=(
  build-essential cmake g++ pkg-config
  qt6-base-dev libgl-dev            # Qt 6 Core, Gui, Widgets, Test
  qt6-qpa-plugins                   # the offscreen and xcb platforms
  qt6-translations-l10n             # Qt's own Russian texts (qtbase_ru.qm: Yes/No, the file dialog)
  fonts-dejavu-core fonts-liberation  # fonts with Cyrillic; Liberation Sans fits the panel labels
)
# Testing, benchmarks, pictures and fuzzing besides.
development=(
  libgtest-dev libgmock-dev         # tests
  libbenchmark-dev                  # benchmarks
  xvfb xauth                        # a virtual display for screenshots
  time                              # /usr/bin/time -v for the start-up figure
  clang libclang-rt-14-dev          # fuzz targets (libFuzzer)
  locales-all                       # numbers under locales with other decimal points
  icoutils                          # icotool: the Windows icon's images (tools/make_icon.cpp)
  chromium                          # the HTML report's picture, headless (tests/html/report_picture_test.sh)
  nodejs npm                        # the skill rating's reference package, openskill (tests/rating)
)

# Cross-building the Windows program.
windows=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64   # GCC 12 for 64-bit Windows, windres, objdump
)
# Testing it: Wine on a virtual display, Wine's own fonts (MS Sans Serif with
# Cyrillic), the Russian and English locales, GoogleTest's sources.
windows_tests=(
  wine wine64 xvfb xauth fonts-wine locales-all libgtest-dev
)

if [ "${1:-}" = --program ]; then
  shift
  packages=("${program[@]}" "$@")
elif [ "${1:-}" = --windows ]; then
  shift
  packages=("${windows[@]}" "$@")
elif [ "${1:-}" = --windows-tests ]; then
  shift
  packages=("${windows[@]}" "${windows_tests[@]}" "$@")
else
  packages=("${program[@]}" "${development[@]}" "$@")
fi

# A package another one provides counts as installed: a Node.js build that
# brings its own npm (and conflicts with Debian's) stands for nodejs and npm.
provided=$(dpkg-query -W -f='${db:Status-Abbrev} ${Provides}\n' 2>/dev/null | sed -n 's/^ii *//p' |
  tr ',' '\n' | sed 's/ *(.*//; s/^ *//')
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    grep -qx -- "$p" <<< "$provided" || missing+=("$p")
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
