#!/usr/bin/env bash
# Renders the window offscreen to docs/window.png: a first start in an empty
# game folder, then an import of the demo log (demo/basekrm/LOG.txt); and the
# Players window opened from its menu after it, to docs/players.png; then
# demo/basekrm/LOG-more-evenings.txt appended and imported, and the
# head-to-head window of Nika and Tarn, to docs/head-to-head.png; the
# window with its "Игроки" menu open, to docs/menu.png; then
# demo/basekrm/LOG-names.txt (Tarn as T4rn, a name in two encodings) and the
# Players window with Tarn and T4rn merged, to docs/players-people.png, and
# the merge's list dialog, to docs/merge-names.png. Last, a club of 30
# players, to docs/players-30.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DFRAGTALLY_BUILD_WINDOW=ON
cmake --build build -j"$(nproc)" --target window_picture
mkdir -p docs
QT_QPA_PLATFORM=offscreen ./build/bin/window_picture docs/window.png demo/basekrm/LOG.txt docs/players.png \
  docs/head-to-head.png demo/basekrm/LOG-more-evenings.txt docs/menu.png \
  demo/basekrm/LOG-names.txt docs/players-people.png docs/merge-names.png 2> /dev/null
# A club's 30 players (demo/basekrm/LOG-club.txt) before the demo's later
# evenings: the Players window at its opening size, to docs/players-30.png.
club=$(mktemp -d /tmp/fragtally-club.XXXXXX)
trap 'rm -rf "$club"' EXIT
QT_QPA_PLATFORM=offscreen ./build/bin/window_picture "$club/window.png" demo/basekrm/LOG-club.txt docs/players-30.png \
  "$club/head-to-head.png" demo/basekrm/LOG-more-evenings.txt "$club/menu.png" \
  demo/basekrm/LOG-names.txt "$club/people.png" "$club/merge.png" 2> /dev/null
echo "wrote docs/window.png, docs/players.png, docs/head-to-head.png, docs/menu.png, docs/players-people.png," \
  "docs/merge-names.png and docs/players-30.png"
