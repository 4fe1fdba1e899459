#!/usr/bin/env bash
# Runs the Windows program's tests under Wine: the suites through CTest (the
# core, the portable reliability tests, the window in-process, the platform
# layer under two code pages, the program's imports), the window at 144 DPI,
# the end-to-end test against the Linux window, two starts of the program in
# one game folder, then the exports without a window. For the save-failure
# tests it mounts a full (64 KiB) and a read-only tmpfs when the machine
# allows it (root), and unmounts them again.
#
#   tests/win32/run_tests.sh LINUX_BUILD WINDOWS_BUILD [PROGRAM]
#
# PROGRAM is the fragtally.exe the end-to-end test starts (default: the build's).
# Runs inside scripts/wine-run.sh (a display and a Wine prefix).
set -euo pipefail
cd "$(dirname "$0")/../.."
linux_build=$1
windows_build=$2
program=${3:-$windows_build/bin/fragtally.exe}

faults=$(mktemp -d /tmp/fragtally-faults.XXXXXX)
mounted=()
cleanup() {
  local m
  for m in "${mounted[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true; done
  rm -rf "$faults"
}
trap cleanup EXIT

if [ "$(id -u)" -eq 0 ] && mkdir -p "$faults/full" "$faults/readonly" &&
  mount -t tmpfs -o size=64k tmpfs "$faults/full" 2>/dev/null; then
  mounted+=("$faults/full")
  if mount -t tmpfs -o size=1m tmpfs "$faults/readonly" 2>/dev/null; then
    mounted+=("$faults/readonly")
    bash tools/make_stats_file.sh 3 "$faults/readonly/basekrm/Stats.krm"
    printf 'basekrm\\LOG.txt\r\n--- Fs_startup : Tue Jan 02 10:00:00 2024\r\n2\r\n' >"$faults/readonly/basekrm/mSetup.ini"
    if mount -o remount,ro "$faults/readonly" 2>/dev/null; then
      export FRAGTALLY_READONLY_FOLDER
      FRAGTALLY_READONLY_FOLDER=$(winepath -w "$faults/readonly")
    fi
  fi
  export FRAGTALLY_FULL_FOLDER
  FRAGTALLY_FULL_FOLDER=$(winepath -w "$faults/full")
else
  echo "run_tests: mounting is not allowed here; the full and read-only disk tests are skipped"
fi

# What the host system makes and Wine shows otherwise: a symbolic link to a
# file (a plain file to Wine) and a FIFO (no attributes).
mkdir -p "$faults/host/saves" "$faults/host/basekrm"
: >"$faults/host/saves/Stats.krm"
ln -s ../saves/Stats.krm "$faults/host/basekrm/Stats.krm"
mkfifo "$faults/host/fifo"
export FRAGTALLY_HOST_FOLDER
FRAGTALLY_HOST_FOLDER=$(winepath -w "$faults/host")

ctest --test-dir "$windows_build" --output-on-failure -j2

# The window at 144 DPI (the prefix's display setting), then at 96 again.
set_dpi() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
set_dpi 144
FRAGTALLY_EXPECTED_DPI=144 wine "$windows_build/bin/window_tests.exe" \
  --gtest_filter='WindowTest.LayoutScalesWithTheDpi:Windows7Window.*:WindowTest.FontsAreTheTablesOnes:WindowTest.NewUser*' \
  >"$faults/dpi.log" 2>&1 || { cat "$faults/dpi.log"; set_dpi 96; exit 1; }
set_dpi 96
echo "run_tests: the window at 144 DPI: $(grep -ac '^\[       OK' "$faults/dpi.log") tests passed"
bash tests/win32/e2e_test.sh "$linux_build" "$windows_build" "$program"
bash tests/win32/one_copy_test.sh "$windows_build" "$program"
bash tests/win32/export_test.sh "$linux_build" "$windows_build" "$program"
