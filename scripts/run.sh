#!/usr/bin/env bash
# Installs what is missing, builds, and starts Fragtally in a demo game folder
# (demo/run/, made fresh each time from demo/basekrm/LOG.txt). The program's
# folder is that game folder, so the first start has no statistics file yet:
# the program says so, and the import button then reads the demo log.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: neither DISPLAY nor WAYLAND_DISPLAY is set, so the window cannot be shown." >&2
  echo "Run it on a desktop, or under a virtual display: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi

cmake -S . -B build -DFRAGTALLY_BUILD_WINDOW=ON
cmake --build build -j"$(nproc)" --target fragtally

game=demo/run
rm -rf "$game"
mkdir -p "$game/basekrm"
cp demo/basekrm/LOG.txt "$game/basekrm/LOG.txt"
cp build/bin/fragtally "$game/fragtally"

cd "$game"
echo "Starting Fragtally in $(pwd)"
exec ./fragtally
