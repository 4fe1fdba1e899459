#!/usr/bin/env bash
# End to end: the real fragtally.exe in an empty game folder, driven from
# another process (driver.exe) with real message boxes, against the Linux
# window driven through the same steps (reference_run) in a folder with the
# same log. Two starts: the first under a Russian locale (the statistics-file
# message, an import of the demo log, both panels, the ratings, a refused
# second import, closing), the second under an English one (the players read
# back, the ratings with a decimal point, closing). What the boxes said, what
# every control showed, the trace and the files left behind must be the same
# byte for byte.
#
#   tests/win32/e2e_test.sh LINUX_BUILD WINDOWS_BUILD [PROGRAM]
#
# PROGRAM is the fragtally.exe to test (default: WINDOWS_BUILD/bin/fragtally.exe).
# Runs inside scripts/wine-run.sh (a display and a Wine prefix).
set -euo pipefail
cd "$(dirname "$0")/../.."
linux_bin=$1/bin
windows_bin=$2/bin
program=${3:-$windows_bin/fragtally.exe}

work=$(mktemp -d /tmp/fragtally-e2e.XXXXXX)
trap 'rm -rf "$work"' EXIT

first="start; box; shown; snapshot; click 3001; no-box; snapshot; select 2001 1; select 2002 0; snapshot"
first+="; click 3002; box; click 3001; box; trace; close"
second="start; shown; no-box; snapshot; select 2001 1; select 2002 3; snapshot; click 3002; box; trace; close"

for side in linux windows; do
  mkdir -p "$work/$side/basekrm"
  cp demo/basekrm/LOG.txt "$work/$side/basekrm/LOG.txt"
done
cp "$program" "$work/windows/fragtally.exe"
game=$(winepath -w "$work/windows")

failed=0
run() {  # run LOCALE NUMBER STEPS
  local locale=$1 n=$2 steps=$3
  if ! LC_ALL=$locale QT_QPA_PLATFORM=offscreen "$linux_bin/reference_run" "$work/linux" "$work/linux-$n.txt" \
    "$steps" 2>"$work/reference-$n.log"; then
    echo "e2e: the reference run $n failed:"; cat "$work/reference-$n.log"; failed=1
  fi
  if ! LC_ALL=$locale wine "$windows_bin/driver.exe" "$game\\fragtally.exe" "$game" \
    "$(winepath -w "$work")\\windows-$n.txt" "$steps" 2>"$work/driver-$n.log"; then
    echo "e2e: the driver failed in start $n:"; grep -a FAILED "$work/driver-$n.log"; failed=1
  fi
}

same() {  # same WHAT LINUX_FILE WINDOWS_FILE
  if cmp -s "$2" "$3"; then
    echo "e2e: same on both: $1"
  else
    echo "e2e: DIFFERENT: $1"
    diff -u "$2" "$3" | head -40 || true
    failed=1
  fi
}
expect() {  # expect FILE TEXT: the transcript holds the line part
  if ! grep -qF -- "$2" "$1"; then
    echo "e2e: $(basename "$1") lacks: $2"
    failed=1
  fi
}

run ru_RU.UTF-8 1 "$first"
run en_US.UTF-8 2 "$second"

same "first start (ru_RU): boxes, controls, trace" "$work/linux-1.txt" "$work/windows-1.txt"
same "second start (en_US): boxes, controls, trace" "$work/linux-2.txt" "$work/windows-2.txt"
same "basekrm/Stats.krm" "$work/linux/basekrm/Stats.krm" "$work/windows/basekrm/Stats.krm"
same "basekrm/mSetup.ini" "$work/linux/basekrm/mSetup.ini" "$work/windows/basekrm/mSetup.ini"

# What the scenario is about, in case both sides went wrong the same way.
t1=$work/windows-1.txt t2=$work/windows-2.txt
expect "$t1" "box error, before the window is shown"
expect "$t1" "  title: Программе не удалось найти файл статистики"
expect "$t1" "  Combo1: [Nika] [Грач] [Tarn] [Ostrov] selected 0 showing [Nika]"
expect "$t1" "  Label74: Stats for Грач"
expect "$t1" "Рейтинг фрагов: 1,5"
expect "$t1" "  title: Статистика не занесена"
expect "$t1" "caret at"
expect "$t1" "closed, exit code 0"
expect "$t2" "Рейтинг фрагов: 1.5"
expect "$t2" "  Label74: Stats for Ostrov"
expect "$t2" "closed, exit code 0"
[ "$(grep -c '^box' "$t1")" = 3 ] || { echo "e2e: the first start showed $(grep -c '^box' "$t1") boxes, not 3"; failed=1; }
[ "$(grep -c '^box' "$t2")" = 1 ] || { echo "e2e: the second start showed $(grep -c '^box' "$t2") boxes, not 1"; failed=1; }
grep -q "information" <(grep '^box' "$t2") || { echo "e2e: the ratings box has no information icon"; failed=1; }

if [ "$failed" -ne 0 ]; then
  echo "e2e: FAILED (transcripts in $work are removed; rerun to look)"
  exit 1
fi
echo "e2e: passed"
