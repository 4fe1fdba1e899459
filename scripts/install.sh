#!/usr/bin/env bash
# Installs Fragtally into a Krellmar game folder (the folder that holds
# basekrm/), for the current user, or removes it again:
#
#   bash scripts/install.sh GAME_FOLDER               install (again, over an earlier install)
#   bash scripts/install.sh --uninstall GAME_FOLDER   remove the program, its read-me, the launcher and the icon
#
# Installing installs the Debian packages that building and running the
# program need, builds it (Release, in build-release/), and puts
#   GAME_FOLDER/fragtally                                     the program
#   GAME_FOLDER/fragtally-README.txt                          the players' read-me
#   $XDG_DATA_HOME/icons/hicolor/32x32/apps/fragtally.png     its icon
#   $XDG_DATA_HOME/applications/fragtally.desktop             a launcher that starts it
#                                                             with the game folder as the
#                                                             current folder
# (XDG_DATA_HOME is ~/.local/share when unset). There is one launcher: an
# install into another game folder moves it there.
#
# The statistics and settings files, basekrm/Stats.krm and basekrm/mSetup.ini,
# are never created, changed or removed, by either command. A folder that does
# not exist or has no basekrm folder is refused before anything is done.
set -euo pipefail

me="install.sh"
usage() {
  echo "usage: bash scripts/install.sh [--uninstall] GAME_FOLDER" >&2
  exit 2
}
refuse() {
  echo "$me: $*" >&2
  echo "$me: nothing was changed." >&2
  exit 1
}

# --- arguments and the game folder (checked before anything is done) ---

mode=install
case "${1:-}" in
  --uninstall) mode=uninstall; shift ;;
  -h | --help) echo "usage: bash scripts/install.sh [--uninstall] GAME_FOLDER"; exit 0 ;;
  --) ;;
  -*) echo "$me: unknown option: $1" >&2; usage ;;
esac
if [ "${1:-}" = -- ]; then shift; fi
[ $# -eq 1 ] || usage
folder=$1
[ -n "$folder" ] || usage

[ -e "$folder" ] || refuse "the game folder '$folder' does not exist."
[ -d "$folder" ] || refuse "'$folder' is not a folder."
[ -d "$folder/basekrm" ] ||
  refuse "'$folder' has no basekrm folder, so it is not a Krellmar game folder. Give the folder that holds basekrm/."
# The launcher names the folder in one line of UTF-8 text.
if [[ $folder == *[[:cntrl:]]* ]]; then
  refuse "the path '$folder' holds a control character (a line end or a tab), so a launcher cannot name it."
fi
game=$(realpath -e -- "$folder")
if [[ $game == *[[:cntrl:]]* ]]; then
  refuse "the path of '$folder' holds a control character (a line end or a tab), so a launcher cannot name it."
fi
if ! printf '%s' "$game" | iconv -f UTF-8 -t UTF-8 > /dev/null 2>&1; then
  refuse "the path of '$folder' is not valid UTF-8, so a launcher cannot name it."
fi
[ -w "$game" ] || refuse "cannot write to the game folder '$game'."

: "${HOME:?HOME is not set}"
data_home=${XDG_DATA_HOME:-}
if [[ $data_home != /* ]]; then  # unset, empty or relative: the default
  data_home=$HOME/.local/share
fi

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=$game/fragtally
readme=$game/fragtally-README.txt
applications=$data_home/applications
launcher=$applications/fragtally.desktop
hicolor=$data_home/icons/hicolor
icon=$hicolor/32x32/apps/fragtally.png

# --- launcher text ---

# A value of type string: backslash, tab, carriage return and line end
# escaped, and a leading blank written as \s.
desktop_string() {
  local s=$1 bs=$'\\'
  s=${s//"$bs"/"$bs$bs"}
  s=${s//$'\t'/"${bs}t"}
  s=${s//$'\r'/"${bs}r"}
  s=${s//$'\n'/"${bs}n"}
  if [[ $s == ' '* ]]; then s="${bs}s${s:1}"; fi
  printf '%s' "$s"
}

# One argument of an Exec line, before the string escapes: in double quotes,
# with " ` $ and \ escaped by a backslash, and % doubled (a literal percent
# sign, not a field code).
exec_argument() {
  local s=$1 bs=$'\\'
  s=${s//"$bs"/"$bs$bs"}
  s=${s//'"'/"$bs\""}
  s=${s//'`'/"$bs\`"}
  s=${s//'$'/"$bs\$"}
  s=${s//'%'/%%}
  printf '"%s"' "$s"
}

path_line="Path=$(desktop_string "$game")"
# GLib looks for the Exec line's program before it turns %% into %, so it
# would not find a program whose path has a percent sign; env, found on the
# PATH, starts it instead.
exec_line="Exec=$(desktop_string "$(exec_argument "$program")")"
if [[ $program == *%* ]]; then
  exec_line="Exec=env $(desktop_string "$(exec_argument "$program")")"
fi

write_launcher() {  # to $1
  cat > "$1" << EOF
[Desktop Entry]
Type=Application
Version=1.4
Name=Fragtally
Name[ru]=Fragtally
GenericName=Krellmar player statistics
GenericName[ru]=Статистика игроков Krellmar
Comment=Lifetime statistics of Krellmar players, imported from the game's console log
Comment[ru]=Статистика игроков Krellmar за всё время, из консольного журнала игры
Keywords=Krellmar;statistics;frags;
Keywords[ru]=Krellmar;статистика;фраги;
Icon=fragtally
TryExec=$(desktop_string "$program")
$exec_line
$path_line
Terminal=false
Categories=Game;
EOF
}

# Menus read the desktop database and the icon cache where those exist.
refresh_menus() {
  if command -v update-desktop-database > /dev/null 2>&1 && [ -d "$applications" ]; then
    update-desktop-database -q "$applications" || echo "$me: warning: update-desktop-database failed" >&2
  fi
  if [ -d "$hicolor" ]; then
    touch "$hicolor"  # a newer folder tells icon caches to look again
    if [ -f "$hicolor/icon-theme.cache" ] && command -v gtk-update-icon-cache > /dev/null 2>&1; then
      gtk-update-icon-cache -q -f -t "$hicolor" || echo "$me: warning: gtk-update-icon-cache failed" >&2
    fi
  fi
}

# --- uninstall ---

if [ "$mode" = uninstall ]; then
  removed=0
  if [ -e "$program" ] || [ -L "$program" ]; then
    [ -f "$program" ] || refuse "'$program' is not a file; it was left alone."
    rm -f -- "$program"
    echo "removed $program"
    removed=1
  fi
  if [ -f "$readme" ]; then
    rm -f -- "$readme"
    echo "removed $readme"
    removed=1
  fi
  if [ -f "$launcher" ] && ! grep -qxF -- "$path_line" "$launcher"; then
    # Another game folder's launcher: it and its icon stay.
    echo "$me: the launcher $launcher starts Fragtally in another game folder; it and the icon were left in place." >&2
  else
    for f in "$launcher" "$icon"; do
      if [ -e "$f" ] || [ -L "$f" ]; then
        rm -f -- "$f"
        echo "removed $f"
        removed=1
      fi
    done
    refresh_menus
  fi
  [ "$removed" = 1 ] || echo "Fragtally was not installed in $game: nothing to remove."
  echo "The statistics and settings in $game/basekrm were left as they were."
  exit 0
fi

# --- install ---

cd "$repo"
[ -f src/window/resources/fragtally.png ] || refuse "the icon src/window/resources/fragtally.png is missing from $repo."
[ -f packaging/README.txt ] || refuse "the players' read-me packaging/README.txt is missing from $repo."

bash scripts/install-deps.sh --program

echo "== build (Release) =="
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DFRAGTALLY_BUILD_WINDOW=ON -DFRAGTALLY_BUILD_TESTS=OFF
cmake --build build-release -j"$(nproc)" --target fragtally
built=build-release/bin/fragtally
[ -x "$built" ] || { echo "$me: the build made no $built" >&2; exit 1; }

echo "== install into $game =="
# Each file is written beside its place and renamed over it, so a program
# that is running keeps its file and no half-written file is ever seen.
temporaries=()
cleanup() { rm -f -- "${temporaries[@]}"; }
trap cleanup EXIT

program_new="$game/.fragtally.install.$$"
temporaries+=("$program_new")
install -m 0755 "$built" "$program_new"
mv -fT -- "$program_new" "$program"
echo "installed $program"

readme_new="$game/.fragtally-README.install.$$"
temporaries+=("$readme_new")
install -m 0644 packaging/README.txt "$readme_new"
mv -fT -- "$readme_new" "$readme"
echo "installed $readme"

mkdir -p "$(dirname "$icon")" "$applications"
icon_new="$icon.install.$$"
temporaries+=("$icon_new")
install -m 0644 src/window/resources/fragtally.png "$icon_new"
mv -fT -- "$icon_new" "$icon"
echo "installed $icon"

launcher_new="$applications/.fragtally.desktop.install.$$"
temporaries+=("$launcher_new")
write_launcher "$launcher_new"
chmod 0644 "$launcher_new"
mv -fT -- "$launcher_new" "$launcher"
echo "installed $launcher"

refresh_menus
echo "Fragtally is installed: start it from the menu (Games), or run $program from $game."
