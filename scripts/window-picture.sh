#!/usr/bin/env bash
# Renders the window offscreen to docs/window.png: a first start in an empty
# game folder, then an import of the demo log (demo/basekrm/LOG.txt); and the
# Players window opened from its menu after it, to docs/players.png; then
# demo/basekrm/LOG-more-evenings.txt appended and imported, and the
# head-to-head window of Nika and Tarn, to docs/head-to-head.png; the
# window with its "Игроки" menu open, to docs/menu.png; then
# demo/basekrm/LOG-names.txt (Tarn as T4rn, a name in two encodings) and the
# Players window with Tarn and T4rn merged, to docs/players-people.png, and
# the merge's list dialog, to docs/merge-names.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DFRAGTALLY_BUILD_WINDOW=ON
cmake --build build -j"$(nproc)" --target window_picture
mkdir -p docs
QT_QPA_PLATFORM=offscreen ./build/bin/window_picture docs/window.png demo/basekrm/LOG.txt docs/players.png \
  docs/head-to-head.png demo/basekrm/LOG-more-evenings.txt docs/menu.png \
  demo/basekrm/LOG-names.txt docs/players-people.png docs/merge-names.png 2> /dev/null
echo "wrote docs/window.png, docs/players.png, docs/head-to-head.png, docs/menu.png, docs/players-people.png" \
  "and docs/merge-names.png"
