#!/usr/bin/env bash
# Checks that no file of a layer includes a file of a layer above it:
#   stats, platform  ->  files  ->  import  ->  app  ->  window  ->  main
# A front end (window/qt, window/win32) may use window/ but not the other
# front end.
#
#   bash tools/check_layers.sh [SRC_FOLDER]
set -euo pipefail
src=${1:-$(dirname "$0")/../src}

rank() {
  case $1 in
    stats) echo 0 ;; platform) echo 0 ;; files) echo 1 ;; import) echo 2 ;; app) echo 3 ;;
    window) echo 4 ;; main) echo 5 ;; *) echo 99 ;;
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
    if [ "$used" = stats ] && [ "$layer" = platform ] || [ "$used" = platform ] && [ "$layer" = stats ]; then
      echo "$rel includes $included: stats and platform do not use each other"; bad=1; continue
    fi
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
