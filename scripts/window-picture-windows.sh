#!/usr/bin/env bash
# The Windows window under Wine, as docs/window-windows.png: a first start of
# dist/fragtally-windows/fragtally.exe in an empty game folder, then the
# import of the demo log (demo/basekrm/LOG.txt), taken from the screen of a
# private Xvfb display by the test driver (Russian locale, Wine's own fonts).
# Then, started again after demo/basekrm/LOG-more-evenings.txt was appended
# to the log: an import, the Players window at its opening size with the
# first player of the table selected (Home in the table), as
# docs/players-windows.png, closed with Escape; and the head-to-head window
# of Nika and Tarn (the first and third entries of the lists), as
# docs/head-to-head-windows.png. The main window with its "Игроки" menu open,
# after the first import, as docs/menu-windows.png.
# Then, with the organiser's lines for Tarn and T4rn as one person and a
# minimum of 8 matches appended to the journal, and
# demo/basekrm/LOG-names.txt (T4rn, a name in two encodings) imported: the
# Players window with the merged person chosen, as
# docs/players-people-windows.png, and the merge's list dialog for two rows,
# as docs/merge-names-windows.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-windows.sh --tests
game=$(mktemp -d /tmp/fragtally-picture.XXXXXX)
trap 'rm -rf "$game"' EXIT
mkdir -p "$game/basekrm" docs
cp demo/basekrm/LOG.txt "$game/basekrm/LOG.txt"
cp dist/fragtally-windows/fragtally.exe "$game/fragtally.exe"

export game
export PEOPLE_ROW=${PEOPLE_ROW:-0}
scripts/wine-run.sh bash -c '
  w=$(winepath -w "$game")
  wine build-windows/bin/driver.exe "$w\\fragtally.exe" "$w" "$w\\transcript.txt" \
    "start; box; shown; click 3001; no-box; screenshot $w\\window.png; open-menu и; menu-screenshot $w\\menu.png; close" 2>/dev/null
'
cat demo/basekrm/LOG-more-evenings.txt >> "$game/basekrm/LOG.txt"
scripts/wine-run.sh bash -c '
  w=$(winepath -w "$game")
  wine build-windows/bin/driver.exe "$w\\fragtally.exe" "$w" "$w\\transcript2.txt" \
    "start; shown; click 3001; no-box; menu 7001; players-key 8002 36; players-screenshot $w\\players.png; players-key 8002 27; select 2001 0; select 2002 2; menu 7006; head-to-head-screenshot $w\\head-to-head.png; close" 2>/dev/null
'
printf 'P\t2026-03-19 21:00:00\tjoin\tT4rn\tTarn\r\nP\t2026-03-19 21:00:00\tminimum\t8\r\n' >> "$game/basekrm/Matches.txt"
cat demo/basekrm/LOG-names.txt >> "$game/basekrm/LOG.txt"
scripts/wine-run.sh bash -c '
  w=$(winepath -w "$game")
  wine build-windows/bin/driver.exe "$w\\fragtally.exe" "$w" "$w\\transcript3.txt" \
    "start; shown; click 3001; no-box; menu 7001; players-select 8002 ${PEOPLE_ROW:-0}; players-screenshot $w\\people.png; players-select 8002 0 1; players-click 8090; dialog-screenshot $w\\merge.png; close" 2>/dev/null
'
# A club's 30 players (demo/basekrm/LOG-club.txt) before the demo's later
# evenings, in a game folder of their own: docs/players-30-windows.png.
club=$(mktemp -d /tmp/fragtally-club.XXXXXX)
trap 'rm -rf "$game" "$club"' EXIT
mkdir -p "$club/basekrm"
cat demo/basekrm/LOG-club.txt demo/basekrm/LOG-more-evenings.txt > "$club/basekrm/LOG.txt"
cp dist/fragtally-windows/fragtally.exe "$club/fragtally.exe"
export club
scripts/wine-run.sh bash -c '
  w=$(winepath -w "$club")
  wine build-windows/bin/driver.exe "$w\\fragtally.exe" "$w" "$w\\transcript.txt" \
    "start; box; shown; click 3001; no-box; menu 7001; players-screenshot $w\\players.png; close" 2>/dev/null
'
cp "$club/players.png" docs/players-30-windows.png
cp "$game/people.png" docs/players-people-windows.png
cp "$game/merge.png" docs/merge-names-windows.png
cp "$game/window.png" docs/window-windows.png
cp "$game/players.png" docs/players-windows.png
cp "$game/head-to-head.png" docs/head-to-head-windows.png
cp "$game/menu.png" docs/menu-windows.png
echo "wrote docs/window-windows.png, docs/players-windows.png, docs/head-to-head-windows.png, docs/menu-windows.png," \
  "docs/players-people-windows.png, docs/merge-names-windows.png and docs/players-30-windows.png"
