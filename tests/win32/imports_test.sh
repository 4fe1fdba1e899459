#!/usr/bin/env bash
# fragtally.exe starts on Windows 7 SP1: every function it imports is on the
# list of its DLL in tests/win32/imports/ (DLL.txt), where each entry names the
# oldest Windows that has the function ("Minimum supported client"), which
# must be Windows 7 or older. A new import fails here until someone has
# checked it and added it; a function that only later Windows versions have
# is looked up at run time instead (src/window/win32/newer_windows.h).
#
#   tests/win32/imports_test.sh PROGRAM.exe [OBJDUMP]
set -euo pipefail
program=$1
objdump=${2:-x86_64-w64-mingw32-objdump}
lists=$(dirname "$0")/imports

# "dll function" for every import; "dll #ordinal" for one by ordinal. objdump
# speaks the locale's language: its English is what is read here.
imports=$(LC_ALL=C "$objdump" -p "$program" | awk '
  /^[[:space:]]*DLL Name: / { dll = tolower($3); next }
  /^[[:space:]]*vma:/ { next }
  dll != "" && /^\t[0-9a-f]+\t/ {
    if (NF >= 3) print dll, $3
    else if (NF == 2) print dll, "#" $2
    next
  }
  /^$/ { next }
  { dll = "" }')
if [ -z "$imports" ]; then
  echo "imports: no imports read from $program" >&2
  exit 1
fi

failed=0
shopt -s nullglob
# The lists themselves: a name and a Windows version that has it, 7 at most.
for list in "$lists"/*.txt; do
  bad=$(grep -Ev '^[[:space:]]*(#|$)' "$list" | awk '$1 != "*" && !($2 ~ /^(2000|XP|Vista|7)$/ && NF == 2)' || true)
  if [ -n "$bad" ]; then
    echo "imports: $(basename "$list"): entries without a minimum Windows of 7 or older (2000, XP, Vista, 7):"
    echo "$bad" | sed 's/^/  /'
    failed=1
  fi
done

count=0
while read -r dll function; do
  count=$((count + 1))
  list=$lists/$dll.txt
  if [ ! -f "$list" ]; then
    echo "imports: $function from $dll, which has no list ($list)"
    failed=1
  elif [[ $function == \#* ]]; then
    echo "imports: $dll ordinal ${function#\#}: imports by ordinal are not checked here; import by name"
    failed=1
  elif ! grep -Eq "^(\\*|$function)([[:space:]]|$)" "$list"; then
    echo "imports: $function from $dll is not on $(basename "$list"): check that Windows 7 SP1 has it, then add it"
    failed=1
  fi
done <<<"$imports"

if [ "$failed" -ne 0 ]; then
  echo "imports: FAILED"
  exit 1
fi
echo "imports: all $count imports of $(basename "$program") ($(cut -d' ' -f1 <<<"$imports" | sort -u | tr '\n' ' ')) are on the Windows 7 SP1 lists"
