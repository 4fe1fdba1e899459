#!/usr/bin/env bash
# Runs one command under Wine on a private Xvfb display with a throw-away
# WINEPREFIX, then tears both down, also when the command fails or the
# script is interrupted.
#
#   scripts/wine-run.sh wine build/bin/fragtally_tests.exe
#   scripts/wine-run.sh bash -c 'wine app.exe & sleep 3; wine driver.exe'
#
# Environment:
#   WINE_RUN_PREFIX=DIR  use (and keep) this prefix instead of a temporary one;
#                        it is initialised with wineboot only when it is new.
#   WINE_RUN_LANG=ru_RU.UTF-8   locale for Wine (default: ru_RU.UTF-8)
#   WINE_RUN_TIMING=1    print how long each step took on stderr
#   WINE_RUN_GRAPHICS=null  no Xvfb: Wine's null display driver (windows can
#                        be created and painted in-process, nothing is shown,
#                        no screen capture, no cross-process screenshots)
# The exit code is the command's.
set -uo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 command [args...]" >&2
  exit 2
fi

now_ms() { date +%s%3N; }
timing() { [ "${WINE_RUN_TIMING:-0}" = 1 ] && echo "wine-run: $*" >&2; return 0; }

xvfb_pid=""
cmd_pid=""
prefix_is_temp=0
display_file=""

cleanup() {
  local rc=$?
  trap - EXIT INT TERM HUP
  # The command runs in its own process group: end all of it, so that it
  # cannot start new wine processes after the server is gone.
  if [ -n "$cmd_pid" ] && kill -0 "$cmd_pid" 2>/dev/null; then
    kill -TERM -- "-$cmd_pid" 2>/dev/null || kill -TERM "$cmd_pid" 2>/dev/null
  fi
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    # Ends every process of this prefix (and so its wineserver).
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  [ -n "$display_file" ] && rm -f "$display_file"
  if [ "$prefix_is_temp" = 1 ] && [ -n "${WINEPREFIX:-}" ]; then
    rm -rf "$WINEPREFIX"
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

graphics="${WINE_RUN_GRAPHICS:-x11}"

start_xvfb() {
# Xvfb picks a free display number itself and writes it to fd 3.
display_file=$(mktemp)
t0=$(now_ms)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
  3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$display_file" ] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "wine-run: Xvfb did not start" >&2
    exit 1
  fi
  sleep 0.05
done
if [ ! -s "$display_file" ]; then
  echo "wine-run: Xvfb gave no display number" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$display_file")"
timing "Xvfb on $DISPLAY after $(( $(now_ms) - t0 )) ms"
}

if [ "$graphics" = null ]; then
  unset DISPLAY
else
  start_xvfb
fi

# Quiet and fast Wine: no debug channels (and so no "wine32 is missing"
# advice from Debian's wine wrapper), no Mono/Gecko installers, no menu
# entries written to the host.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
export LC_ALL="${WINE_RUN_LANG:-ru_RU.UTF-8}"

if [ -n "${WINE_RUN_PREFIX:-}" ]; then
  export WINEPREFIX="$WINE_RUN_PREFIX"
else
  WINEPREFIX=$(mktemp -d /tmp/wineprefix.XXXXXX)
  export WINEPREFIX
  prefix_is_temp=1
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  t0=$(now_ms)
  wineboot -i >/dev/null 2>&1
  wineserver -w
  timing "wineboot -i took $(( $(now_ms) - t0 )) ms"
  # - no crash dialog (winedbg) when a program dies: it would wait forever;
  # - windows not managed by an X window manager: there is none on Xvfb, and
  #   a managed window's show/hide waits for it (about 2 s per window).
  # Wine's own fonts (Debian package fonts-wine: "MS Sans Serif" as the
  # bitmap font with Cyrillic, Tahoma, ...) sit in /usr/share/wine/fonts,
  # where Debian's Wine 8 does not look (it tries "/usr/share/wine\../fonts").
  # It does look in C:\windows\Fonts, so link them there.
  if [ -d /usr/share/wine/fonts ]; then
    ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  reg_file="$WINEPREFIX/fragtally-settings.reg"
  printf '%s\r\n' 'REGEDIT4' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' >"$reg_file"
  wine regedit /S "$reg_file" >/dev/null 2>&1
  wineserver -w
  timing "prefix ready after $(( $(now_ms) - t0 )) ms"
fi

# The graphics driver is a per-prefix setting: set it for this run.
if [ "$graphics" = null ]; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
elif grep -q '^"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
fi

# Start the server and Wine's background processes (services, explorer,
# winedevice) now, with their output going nowhere, and keep them for the
# whole run: when the command's first wine start spawns them, they inherit
# its stderr. A caller that reads that pipe to its end (CMake's
# execute_process in gtest_discover_tests) then waits until the server
# exits - forever with `wineserver -p`.
# Warm, each later program start takes ~0.1-0.3 s instead of ~1-2 s.
t0=$(now_ms)
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
# The desktop process (explorer.exe) starts with the first window of a
# session, under the server's locale, and writes that locale's regional
# settings (the decimal separator) to the prefix's registry: a test whose
# first window starts it under another locale (LC_ALL=en_US.UTF-8) would
# then read a Russian decimal comma. Start it now.
wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
timing "warm-up $(( $(now_ms) - t0 )) ms"

# In the background, in a process group of its own, and waited for: a
# signal to this script then ends it at once (bash runs traps only between
# foreground commands). <&0 keeps stdin (a background job would get /dev/null).
t0=$(now_ms)
if { true <&0; } 2>/dev/null; then
  setsid "$@" <&0 &
else  # no standard input at all (a CI runner may close it)
  setsid "$@" </dev/null &
fi
cmd_pid=$!
wait "$cmd_pid"
rc=$?
cmd_pid=""
timing "command took $(( $(now_ms) - t0 )) ms (exit $rc)"
exit "$rc"
