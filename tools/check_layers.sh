#!/usr/bin/env bash
# Checks that no file of a layer includes a file of a layer above it:
#   platform  ->  stats  ->  files  ->  import  ->  app  ->  window  ->  main
# A front end (window/qt, window/win32) may use window/ but not the other
# front end.
#
#   bash tools/check_layers.sh [SRC_FOLDER]
set -euo pipefail
src=${1:-$(dirname "$0")/../src}

rank() {
  case $1 in
    platform) echo 0 ;; stats) echo 1 ;; files) echo 2 ;; import) echo 3 ;; app) echo 4 ;;
    window) echo 5 ;; main) echo 6 ;; *) echo 99 ;;
  esac
}

bad=0
while IFS= read -r -d '' file; do
  rel=${file#"$src"/}
  layer=${rel%%/*}
  mine=$(rank "$layer")
  frontend=""
  case $rel in window/qt/*) frontend=qt ;; window/win32/*) frontend=win32 ;; esac
  while IFS= read -r included; do
    used=${included%%/*}
    theirs=$(rank "$used")
    [ "$theirs" = 99 ] && continue  # not a file of ours
    if [ "$theirs" -gt "$mine" ]; then
      echo "$rel includes $included, a layer above it"; bad=1
    fi
    case $included in
      window/qt/*) [ "$frontend" = qt ] || [ "$layer" = main ] || { echo "$rel includes $included"; bad=1; } ;;
      window/win32/*) [ "$frontend" = win32 ] || [ "$layer" = main ] || { echo "$rel includes $included"; bad=1; } ;;
    esac
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)

if [ "$bad" -ne 0 ]; then
  echo "layer check failed" >&2
  exit 1
fi
echo "every include goes down the layers"
