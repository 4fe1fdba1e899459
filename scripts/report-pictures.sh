#!/usr/bin/env bash
# The HTML report of 32 made-up players (tools/report_sample) as headless
# Chromium shows it: docs/report.png on a desktop (1280 pixels wide),
# docs/report-phone.png on a phone (412 pixels wide), and
# docs/report-print.png, the first page of the report printed to PDF
# (landscape A4, at 60 dpi).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build
cmake --build build -j"$(nproc)" --target report_sample

work=$(mktemp -d /tmp/fragtally-report-pictures.XXXXXX)
trap 'rm -rf "$work"' EXIT
./build/bin/report_sample "$work/report.html" 32 1200
# No network, no extensions, a profile of its own: the report stands alone.
chrome() {
  chromium --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update \
    --disable-sync --no-first-run --disable-extensions --hide-scrollbars --user-data-dir="$work/profile" \
    --proxy-server=127.0.0.1:9 "$@" "file://$work/report.html" >>"$work/chromium.log" 2>&1 || {
    echo "chromium failed:"; cat "$work/chromium.log"; exit 1
  }
}
mkdir -p docs
chrome --window-size=1280,1500 --screenshot="$work/desktop.png"
chrome --window-size=412,1600 --screenshot="$work/phone.png"
chrome --no-pdf-header-footer --print-to-pdf="$work/report.pdf"
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$work/report.pdf" "$work/print"
cp "$work/desktop.png" docs/report.png
cp "$work/phone.png" docs/report-phone.png
cp "$work/print.png" docs/report-print.png
echo "wrote docs/report.png, docs/report-phone.png and docs/report-print.png" \
  "($(pdfinfo "$work/report.pdf" | awk '/^Pages:/ {print $2}') printed pages)"
