#!/usr/bin/env bash
# One copy per game folder: the real fragtally.exe started twice in one game
# folder (tests/win32/driver.cpp). The first start shows its window, which is
# then minimised; the second start must end at once with exit code 0, bring
# the first one's window to the front, restored, and leave the game folder's
# files as they were; one window of the program remains.
#
# The lock is the platform layer's (platform::LockGameFolder): while a running
# copy does not hold it, this test says so and checks nothing more.
#
#   tests/win32/one_copy_test.sh WINDOWS_BUILD [PROGRAM]
#
# Runs inside scripts/wine-run.sh (a display and a Wine prefix).
set -euo pipefail
cd "$(dirname "$0")/../.."
windows_bin=$1/bin
program=${2:-$windows_bin/fragtally.exe}

work=$(mktemp -d /tmp/fragtally-one-copy.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/game/basekrm"
cp "$program" "$work/game/fragtally.exe"
bash tools/make_stats_file.sh 3 "$work/game/basekrm/Stats.krm"
printf 'basekrm\\LOG.txt\r\n--- Fs_startup : Tue Jan 02 10:00:00 2024\r\n2\r\n' >"$work/game/basekrm/mSetup.ini"
files() { (cd "$work/game/basekrm" && sha256sum Stats.krm mSetup.ini); }
files >"$work/before.txt"

game=$(winepath -w "$work/game")
# The driver ends the first start at its end without closing it (nothing saved).
if ! wine "$windows_bin/driver.exe" "$game\\fragtally.exe" "$game" "$(winepath -w "$work")\\transcript.txt" \
  "start; shown; require-lock; minimize; start-again; front; windows" 2>"$work/driver.log"; then
  echo "one copy: the driver failed:"; grep -a FAILED "$work/driver.log"
  exit 1
fi
transcript=$work/transcript.txt
if grep -q "the game folder is not locked" "$transcript"; then
  echo "one copy: SKIPPED: the game folder's lock is not in place (platform::LockGameFolder gave a second lock)"
  exit 0
fi

failed=0
expect() {  # expect LINE: the transcript holds it
  if ! grep -qxF -- "$1" "$transcript"; then
    echo "one copy: the transcript lacks: $1"
    failed=1
  fi
}
expect "the game folder is locked"
expect "the second start ended, exit code 0"
expect "the window is in front"
expect "windows of the program: 1"
if ! files | cmp -s - "$work/before.txt" || ls "$work/game/basekrm" | grep -qvxE 'Stats\.krm|mSetup\.ini'; then
  echo "one copy: the game folder's files changed:"; ls -la "$work/game/basekrm"
  failed=1
fi
if [ "$failed" -ne 0 ]; then
  echo "one copy: FAILED; the transcript:"; cat "$transcript"
  exit 1
fi
echo "one copy: passed"
