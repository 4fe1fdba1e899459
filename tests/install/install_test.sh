#!/usr/bin/env bash
# Installs Fragtally into a temporary game folder with scripts/install.sh,
# starts the installed program from its launcher the way a desktop does
# (into the launcher's Path=, then its Exec= command; and once more through
# GLib's own launcher, gio launch), and uninstalls it again.
# Along the way: the refusals change nothing, the launcher passes
# desktop-file-validate, and the statistics and settings files stay byte for
# byte as they were.
#
#   bash tests/install/install_test.sh
#
# Everything happens under one temporary folder: HOME and XDG_DATA_HOME point
# into it, so the user's own menus and icons are never touched. The program's
# Release build (build-release/) is made by the install when needed. On a
# failure the temporary folder is kept and named.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$repo"

passed=0
failed=0
pass() { echo "  ok    $*"; passed=$((passed + 1)); }
fail() { echo "  FAIL  $*"; failed=$((failed + 1)); }
check() {  # description, command...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
# Ends the test at once: what follows depends on this step.
fatal() {
  fail "$*"
  echo "install test: stopped; the files are in $work"
  echo "install: $passed passed, $failed failed"
  exit 1
}

# The desktop-file validator and GLib's launcher (gio); the program's own
# packages come with the install.
bash scripts/install-deps.sh --program desktop-file-utils libglib2.0-bin

work=$(mktemp -d "${TMPDIR:-/tmp}/fragtally-install-test.XXXXXX")
finished=no
# shellcheck disable=SC2317  # called by the trap
on_exit() {
  if [ "$finished" = yes ]; then rm -rf -- "$work"; else echo "install test: the files are kept in $work"; fi
}
trap on_exit EXIT

export HOME="$work/home"
export XDG_DATA_HOME="$work/data home"
export XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 0700 "$XDG_RUNTIME_DIR"

launcher="$XDG_DATA_HOME/applications/fragtally.desktop"
icon="$XDG_DATA_HOME/icons/hicolor/32x32/apps/fragtally.png"

# A game folder whose path needs every kind of quoting in a launcher: blanks,
# quotes, a percent sign, a dollar sign, a backquote, a backslash, shell
# punctuation and Cyrillic.
game="$work/Игры/Krellmar 1.32 \"Arena\" it's 100% \$HOME \`x\` back\\slash & (1);#"
mkdir -p "$game/basekrm"
cp demo/basekrm/LOG.txt "$game/basekrm/LOG.txt"
# Files the program would write differently (it writes CR LF): a save by the
# program, or by anything else, would show.
cat > "$game/basekrm/Stats.krm" << 'EOF'
console: Stats for: Ника
console: Gauntlet:   3
console: Machinegun:   30/158     19%
console: Shotgun:   82/259     32%
console: Grenade L:   0/0     0%
console: Rocket L:   267/461     58%
console: Shaft:   61/562     11%
console: Railgun:   159/663     24%
console: Plasma gun:   282/764     37%
console: BFG:   0/0     0%
console: Dmggiven: 10030
console: Dmgrecvd: 9020
console: Kills: 41     Deaths: 30     Suicides: 2     Frags: 39
console: games played: 4
console:  
console: Stats for: Grunt
console: Gauntlet:   0
console: Machinegun:   12/100     12%
console: Shotgun:   5/40     13%
console: Grenade L:   1/9     11%
console: Rocket L:   20/80     25%
console: Shaft:   0/0     0%
console: Railgun:   3/30     10%
console: Plasma gun:   9/90     10%
console: BFG:   0/0     0%
console: Dmggiven: 2400
console: Dmgrecvd: 5100
console: Kills: 7     Deaths: 25     Suicides: 1     Frags: 6
console: games played: 3
console:  
EOF
printf '%s\n' 'basekrm\LOG.txt' '--- Fs_startup : Sat Mar 14 20:31:07 2026' > "$game/basekrm/mSetup.ini"

# What the game folder holds: names, types, modes, and sizes and times of files.
game_files() {
  (cd "$game" && find . -mindepth 1 \( -type f -printf '%p %y %m %s %T@\n' \) -o \( ! -type f -printf '%p %y %m\n' \) |
    LC_ALL=C sort)
}
checksums() { (cd "$game/basekrm" && sha256sum Stats.krm mSetup.ini LOG.txt); }
game_files_before=$(game_files)
checksums_before=$(checksums)

# The test's own output goes to logs/.
logs="$work/logs"
mkdir "$logs"

# Everything under the temporary folder (but logs/) and in the build folder:
# name, type, size, time and mode.
snapshot() {
  find "$work" -path "$logs" -prune -o -printf '%p|%y|%s|%T@|%m\n' | LC_ALL=C sort
  if [ -d build-release ]; then find build-release -printf '%p|%y|%s|%T@|%m\n' | LC_ALL=C sort; else echo "no build-release"; fi
}

echo "== refusals: nothing may be built or written =="
mkdir -p "$work/not a game/base" "$work/basekrm is a file"
: > "$work/not a game/Stats.krm"
: > "$work/basekrm is a file/basekrm"
: > "$work/a file"
# mode, folder, words the message must hold
refusals=(
  "install|$work/no such folder|does not exist"
  "install|$work/not a game|no basekrm folder"
  "install|$work/basekrm is a file|no basekrm folder"
  "install|$work/a file|not a folder"
  "uninstall|$work/no such folder|does not exist"
  "uninstall|$work/not a game|no basekrm folder"
)
before=$(snapshot)
for refusal in "${refusals[@]}"; do
  IFS='|' read -r mode folder words <<< "$refusal"
  args=("$folder")
  if [ "$mode" = uninstall ]; then args=(--uninstall "$folder"); fi
  status=0
  bash scripts/install.sh "${args[@]}" > "$logs/out" 2> "$logs/err" || status=$?
  what="$mode '${folder#"$work"/}'"
  check "$what: refused (exit $status)" [ "$status" -ne 0 ]
  check "$what: says so on stderr: $(head -n 1 "$logs/err")" grep -q "$words" "$logs/err"
  check "$what: nothing on stdout" [ ! -s "$logs/out" ]
  rm -f "$logs/out" "$logs/err"
done
status=0
bash scripts/install.sh > /dev/null 2> "$logs/err" || status=$?
check "no folder given: usage (exit $status)" [ "$status" -eq 2 ]
rm -f "$logs/err"
after=$(snapshot)
if [ "$before" = "$after" ]; then
  pass "after the refusals nothing is new, changed or gone (temporary folder, build-release)"
else
  fail "the refusals changed files:"
  diff <(echo "$before") <(echo "$after") | head -n 20 || true
fi

echo "== install, through a symbolic link and a relative path from another folder =="
ln -s "$game" "$work/game link"
start=$(date +%s)
(cd "$work" && bash "$repo/scripts/install.sh" "game link/") > "$logs/install.log" 2>&1 ||
  { tail -n 30 "$logs/install.log"; fatal "install.sh failed (log above)"; }
install_seconds=$(($(date +%s) - start))
pass "install.sh finished in ${install_seconds} s"
canonical=$(realpath -e "$game")
check "the program is in the game folder, executable" test -f "$game/fragtally" -a -x "$game/fragtally"
check "the program is the Release build" cmp -s "$game/fragtally" build-release/bin/fragtally
check "the players' read-me is beside the program" cmp -s "$game/fragtally-README.txt" packaging/README.txt
check "the icon is the 32x32 PNG" cmp -s "$icon" src/window/resources/fragtally.png
check "the launcher is written" [ -f "$launcher" ]
check "no temporary files are left" [ -z "$(find "$work" -name '*.install.*')" ]
check "statistics, settings and log untouched by the install" [ "$(checksums)" = "$checksums_before" ]

echo "== the launcher =="
if desktop-file-validate "$launcher" > "$logs/validate" 2>&1; then
  pass "desktop-file-validate: valid"
else
  fail "desktop-file-validate:"
  cat "$logs/validate"
fi
check "desktop-file-validate: no errors or warnings" [ ! -s "$logs/validate" ]

# A key's value in the [Desktop Entry] group, as written.
value() {
  awk -v key="$1" '
    /^\[/ { group = $0; next }
    group == "[Desktop Entry]" && index($0, key "=") == 1 { print substr($0, length(key) + 2); found = 1; exit }
    END { exit !found }' "$launcher"
}
# A string value read back: \s \n \t \r \\ (into REPLY).
unescape() {
  local s=$1 out="" c i=0
  while [ "$i" -lt "${#s}" ]; do
    c=${s:i:1}
    if [ "$c" = "\\" ]; then
      i=$((i + 1))
      case ${s:i:1} in
        s) out+=' ' ;;
        n) out+=$'\n' ;;
        t) out+=$'\t' ;;
        r) out+=$'\r' ;;
        "\\") out+="\\" ;;
        *) echo "unknown escape \\${s:i:1}" >&2; return 1 ;;
      esac
    else
      out+=$c
    fi
    i=$((i + 1))
  done
  REPLY=$out
}
# An Exec value (after unescape) split into the program and its arguments
# (into ARGV): blanks separate arguments, double quotes group them, and in
# quotes a backslash takes the next of " ` $ \ literally. %% is a percent
# sign; this launcher has no other field codes.
split_exec() {
  local s=$1 c i=0 arg="" have=0 quoted=0
  ARGV=()
  while [ "$i" -lt "${#s}" ]; do
    c=${s:i:1}
    if [ "$c" = % ]; then
      i=$((i + 1))
      [ "${s:i:1}" = % ] || { echo "field code %${s:i:1} in Exec" >&2; return 1; }
      arg+=%
      have=1
    elif [ "$quoted" = 1 ]; then
      case $c in
        '"') quoted=0 ;;
        "\\")
          i=$((i + 1))
          case ${s:i:1} in
            '"' | '`' | '$' | "\\") arg+=${s:i:1} ;;
            *) echo "a backslash before '${s:i:1}' in quotes" >&2; return 1 ;;
          esac ;;
        '`' | '$') echo "an unescaped '$c' in quotes" >&2; return 1 ;;
        *) arg+=$c ;;
      esac
    else
      case $c in
        ' ') if [ "$have" = 1 ]; then ARGV+=("$arg"); arg=""; have=0; fi ;;
        '"') quoted=1; have=1 ;;
        [[:space:]\'\\\>\<~\|\&\;\$\*\?\#\(\)\`]) echo "unquoted reserved character '$c' in Exec" >&2; return 1 ;;
        *) arg+=$c; have=1 ;;
      esac
    fi
    i=$((i + 1))
  done
  [ "$quoted" = 0 ] || { echo "unclosed quote in Exec" >&2; return 1; }
  if [ "$have" = 1 ]; then ARGV+=("$arg"); fi
  [ "${#ARGV[@]}" -gt 0 ] || { echo "empty Exec" >&2; return 1; }
}

check "Type=Application" [ "$(value Type)" = Application ]
check "Name=Fragtally" [ "$(value Name)" = Fragtally ]
check "Icon=fragtally" [ "$(value Icon)" = fragtally ]
check "Terminal=false" [ "$(value Terminal)" = false ]
check "Categories has Game" grep -qx 'Categories=\(.*;\)\?Game;.*' "$launcher"
unescape "$(value Path)" || fatal "Path= cannot be read"
path=$REPLY
check "Path= is the canonical game folder: $path" [ "$path" = "$canonical" ]
unescape "$(value Exec)" || fatal "Exec= cannot be read"
split_exec "$REPLY" || fatal "Exec= cannot be split: $(value Exec)"
# The installed program, without arguments; through env where its path has a
# percent sign (as this one has).
expected=("$canonical/fragtally")
if [[ $canonical == *%* ]]; then expected=(env "$canonical/fragtally"); fi
check "Exec= starts the installed program: ${ARGV[*]}" \
  [ "$(printf '%s\n' "${ARGV[@]}")" = "$(printf '%s\n' "${expected[@]}")" ]
unescape "$(value TryExec)" || fatal "TryExec= cannot be read"
check "TryExec= is the installed program" [ "$REPLY" = "$canonical/fragtally" ]

echo "== start the program from the launcher (offscreen) =="
status=0
(cd "$path" && QT_QPA_PLATFORM=offscreen FRAGTALLY_EXIT_WHEN_SHOWN=1 timeout 60 "${ARGV[@]}") \
  > "$logs/run.out" 2> "$logs/run.err" || status=$?
check "the program ended by itself (exit $status; 124 would be a time-out, e.g. a message box)" [ "$status" -eq 0 ]
shown=$(grep -m 1 -E '^shown after [0-9]+ ms$' "$logs/run.err" || true)
check "its window was shown: ${shown:-no 'shown after N ms' on stderr}" [ -n "$shown" ]
if [ "$status" -ne 0 ] || [ -z "$shown" ]; then sed 's/^/    stderr: /' "$logs/run.err" | head -n 20; fi
check "statistics, settings and log untouched by the run" [ "$(checksums)" = "$checksums_before" ]

echo "== import the game's log from the launcher's folder (offscreen) =="
# As a player would on a first run: the settings name only the log, so the
# whole log is new. The import finds basekrm/LOG.txt from the launcher's
# Path= and saves the players it read, and journals the import. The two files
# are put back afterwards, times included, and the journal it made removed,
# for the checks that follow.
cp -p "$game/basekrm/Stats.krm" "$game/basekrm/mSetup.ini" "$logs/"
printf '%s\r\n' 'basekrm\LOG.txt' > "$game/basekrm/mSetup.ini"
status=0
(cd "$path" && QT_QPA_PLATFORM=offscreen FRAGTALLY_EXIT_WHEN_SHOWN=import timeout 60 "${ARGV[@]}") \
  > "$logs/import.out" 2> "$logs/import.err" || status=$?
check "the importing program ended by itself (exit $status)" [ "$status" -eq 0 ]
check "the import ran: $(grep -m 1 '^imported in' "$logs/import.err" || echo "no 'imported in N ms'")" \
  grep -q '^imported in [0-9]* ms$' "$logs/import.err"
check "no message during start-up or import" [ -z "$(grep '^\[' "$logs/import.err" || true)" ]
if [ "$status" -ne 0 ] || grep -q '^\[' "$logs/import.err"; then sed 's/^/    stderr: /' "$logs/import.err" | head -n 20; fi
for name in Ника Grunt Nika Ostrov Tarn; do
  check "the saved statistics hold $name" grep -q "^console: Stats for: $name"$'\r'"\$" "$game/basekrm/Stats.krm"
done
check "the settings remember the log's start-up line" \
  grep -q '^--- Fs_startup : Sat Mar 14 20:31:07 2026'$'\r'"\$" "$game/basekrm/mSetup.ini"
check "the match journal holds the import" grep -q $'^C\t1\t' "$game/basekrm/Matches.txt"
cp -p "$logs/Stats.krm" "$logs/mSetup.ini" "$game/basekrm/"
rm -f "$game/basekrm/Matches.txt"
check "statistics and settings put back" [ "$(checksums)" = "$checksums_before" ]

echo "== start it through GLib's desktop launcher (gio launch) =="
# The program's processes, found by their executable.
running() {
  local p
  for p in /proc/[0-9]*; do
    if [ "$(readlink "$p/exe" 2> /dev/null)" = "$canonical/fragtally" ]; then echo "${p#/proc/}"; fi
  done
}
status=0
QT_QPA_PLATFORM=offscreen FRAGTALLY_EXIT_WHEN_SHOWN=1 gio launch "$launcher" > "$logs/gio.out" 2> "$logs/gio.err" || status=$?
check "gio launch took the launcher (exit $status)" [ "$status" -eq 0 ]
# gio returns at once; the program writes to the same stderr and ends by itself.
for _ in $(seq 600); do
  if grep -q '^shown after [0-9]* ms$' "$logs/gio.err" && [ -z "$(running)" ]; then break; fi
  sleep 0.1
done
left=$(running)
check "the program started by gio ended within 60 s" [ -z "$left" ]
if [ -n "$left" ]; then
  mapfile -t pids <<< "$left"
  kill "${pids[@]}" 2> /dev/null || true
fi
shown=$(grep -m 1 -E '^shown after [0-9]+ ms$' "$logs/gio.err" || true)
check "its window was shown: ${shown:-no 'shown after N ms' on stderr}" [ -n "$shown" ]
if [ -z "$shown" ]; then sed 's/^/    stderr: /' "$logs/gio.err" | head -n 20; fi
check "statistics, settings and log untouched by that run" [ "$(checksums)" = "$checksums_before" ]

echo "== install again over it =="
bash scripts/install.sh "$game" > "$logs/install.log" 2>&1 ||
  { tail -n 30 "$logs/install.log"; fatal "the second install.sh failed (log above)"; }
pass "the second install.sh finished"
check "the launcher still starts the program in the game folder" grep -qxF "Path=$(value Path)" "$launcher"
check "still one program, one launcher, one icon" \
  [ "$(find "$work" -name fragtally -o -name fragtally.desktop -o -name fragtally.png | wc -l)" -eq 3 ]

echo "== uninstall =="
bash scripts/install.sh --uninstall "$game" > "$logs/uninstall.log" 2>&1 ||
  { cat "$logs/uninstall.log"; fatal "install.sh --uninstall failed (log above)"; }
pass "install.sh --uninstall finished"
check "the program is gone" [ ! -e "$game/fragtally" ]
check "its read-me is gone" [ ! -e "$game/fragtally-README.txt" ]
check "the launcher is gone" [ ! -e "$launcher" ]
check "the icon is gone" [ ! -e "$icon" ]
if [ "$(checksums)" = "$checksums_before" ]; then
  pass "statistics, settings and log byte for byte as before (SHA-256)"
else
  fail "statistics, settings or log changed:"
  diff <(echo "$checksums_before") <(checksums) || true
fi
check "the game folder holds exactly what it held before the install (names, sizes, times)" [ "$(game_files)" = "$game_files_before" ]
status=0
bash scripts/install.sh --uninstall "$game" > "$logs/uninstall.log" 2>&1 || status=$?
check "a second uninstall has nothing to remove (exit $status)" [ "$status" -eq 0 ]

echo "== uninstall from another game folder leaves this folder's launcher =="
other="$work/other game"
mkdir -p "$other/basekrm"
bash scripts/install.sh "$game" > "$logs/install.log" 2>&1 ||
  { tail -n 30 "$logs/install.log"; fatal "install.sh failed (log above)"; }
status=0
bash scripts/install.sh --uninstall "$other" > "$logs/uninstall.log" 2>&1 || status=$?
check "uninstall from the other folder finished (exit $status)" [ "$status" -eq 0 ]
check "it said the launcher belongs to another game folder" grep -q "another game folder" "$logs/uninstall.log"
check "the launcher, the icon and the program in the first folder stay" \
  test -f "$launcher" -a -f "$icon" -a -f "$game/fragtally"
bash scripts/install.sh --uninstall "$game" > "$logs/uninstall.log" 2>&1 ||
  { cat "$logs/uninstall.log"; fatal "install.sh --uninstall failed (log above)"; }
check "then uninstalled from the first folder: all gone" test ! -e "$launcher" -a ! -e "$icon" -a ! -e "$game/fragtally"

echo "== XDG_DATA_HOME unset: ~/.local/share =="
env -u XDG_DATA_HOME bash scripts/install.sh "$game" > "$logs/install.log" 2>&1 ||
  { tail -n 30 "$logs/install.log"; fatal "install.sh without XDG_DATA_HOME failed (log above)"; }
check "the launcher is in ~/.local/share/applications" [ -f "$HOME/.local/share/applications/fragtally.desktop" ]
check "the icon is in ~/.local/share/icons" [ -f "$HOME/.local/share/icons/hicolor/32x32/apps/fragtally.png" ]
env -u XDG_DATA_HOME bash scripts/install.sh --uninstall "$game" > "$logs/uninstall.log" 2>&1 ||
  { cat "$logs/uninstall.log"; fatal "install.sh --uninstall without XDG_DATA_HOME failed (log above)"; }
check "uninstalled from there too" test -z "$(find "$HOME" "$game" -name 'fragtally*')"
check "statistics, settings and log still as before" [ "$(checksums)" = "$checksums_before" ]

echo "install: $passed passed, $failed failed (the first install took ${install_seconds} s)"
[ "$failed" -eq 0 ] || exit 1
finished=yes
