#!/usr/bin/env bash
# The Windows program without its window: fragtally.exe --export-csv,
# --export-matches and --export-html in a game folder write their files, say so on the redirected
# output and end with status 0; a missing statistics file and a wrong option
# end with 2 and 1 and a message on the error output (the usage after a wrong
# option); --help and --version print and end with 0. The table, the usage and
# the version are the same, byte for byte, as the Linux program's under the
# same (Russian) settings.
#
#   tests/win32/export_test.sh LINUX_BUILD WINDOWS_BUILD [PROGRAM]
#
# Runs inside scripts/wine-run.sh (a Wine prefix; Russian regional settings).
set -euo pipefail
cd "$(dirname "$0")/../.."
linux_program=$1/bin/fragtally
program=${3:-$2/bin/fragtally.exe}

work=$(mktemp -d /tmp/fragtally-export.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/game/basekrm" "$work/linux/basekrm" "$work/empty"
cp "$program" "$work/game/fragtally.exe"
cp "$program" "$work/empty/fragtally.exe"
bash tools/make_stats_file.sh 40 "$work/game/basekrm/Stats.krm"
cp "$work/game/basekrm/Stats.krm" "$work/linux/basekrm/Stats.krm"
cp "$linux_program" "$work/linux/fragtally"

failed=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "export: $1: expected [$2], got [$3]"
    failed=1
  fi
}

cd "$work"
status=0
wine game/fragtally.exe --export-csv table.csv >out.txt 2>err.txt || status=$?
check "the CSV's status" 0 "$status"
check "the CSV's message" "Таблица сохранена: $(winepath -w "$work")\\table.csv (игроков: 40, игр в журнале: 0, матчей: 0)." \
  "$(tr -d '\r' <out.txt)"
LC_ALL=ru_RU.UTF-8 QT_QPA_PLATFORM=offscreen linux/fragtally --export-csv linux.csv >/dev/null
if ! cmp -s table.csv linux.csv; then
  echo "export: the Windows table differs from the Linux one:"; diff <(od -c table.csv) <(od -c linux.csv) | head -20
  failed=1
fi

status=0
wine game/fragtally.exe --export-matches matches.csv >out.txt 2>err.txt || status=$?
check "the matches' status" 0 "$status"
check "the matches' message" "Матчи сохранены: $(winepath -w "$work")\\matches.csv (игр в журнале: 0, матчей: 0)." \
  "$(tr -d '\r' <out.txt)"
LC_ALL=ru_RU.UTF-8 QT_QPA_PLATFORM=offscreen linux/fragtally --export-matches linux-matches.csv >/dev/null
cmp -s matches.csv linux-matches.csv || { echo "export: the Windows matches differ from the Linux ones"; failed=1; }

status=0
wine game/fragtally.exe --export-html report.html >out.txt 2>err.txt || status=$?
check "the report's status" 0 "$status"
check "the report's first line" "<!DOCTYPE html>" "$(head -n 1 report.html)"

status=0
wine empty/fragtally.exe --export-html none.html >out.txt 2>err.txt || status=$?
check "the status without a statistics file" 2 "$status"
grep -q "Не удалось прочитать файл статистики" err.txt || { echo "export: no message without a statistics file"; failed=1; }
[ ! -e none.html ] || { echo "export: a report was written without a statistics file"; failed=1; }

status=0
wine game/fragtally.exe --export-pdf x >out.txt 2>err.txt || status=$?
check "the status of a wrong option" 1 "$status"
check "a wrong option says which" "Неизвестный параметр: --export-pdf" "$(head -n 1 err.txt | tr -d '\r')"
LC_ALL=ru_RU.UTF-8 QT_QPA_PLATFORM=offscreen linux/fragtally --help >linux-help.txt
check "the usage follows a wrong option, as on Linux" "$(cat linux-help.txt)" "$(tail -n +2 err.txt | tr -d '\r')"

# --help and --version print on the output and end with 0, as on Linux.
for option in --help --version; do
  status=0
  wine game/fragtally.exe "$option" >out.txt 2>err.txt || status=$?
  check "the status of $option" 0 "$status"
  check "what $option prints" "$(LC_ALL=ru_RU.UTF-8 QT_QPA_PLATFORM=offscreen linux/fragtally "$option")" \
    "$(tr -d '\r' <out.txt)"
done

if [ "$failed" -ne 0 ]; then
  echo "export: FAILED"
  exit 1
fi
echo "export: passed"
