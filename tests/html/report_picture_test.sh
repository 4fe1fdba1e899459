#!/usr/bin/env bash
# The HTML report as a browser shows it: a sample report (tools/report_sample)
# opened in headless Chromium, its screenshot checked for the table and a
# chart (picture_check). Leaves the screenshot at BUILD/report.png to look at.
#
#   tests/html/report_picture_test.sh BUILD
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$1

work=$(mktemp -d /tmp/fragtally-report.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$build/bin/report_sample" "$work/report.html" 12 600
# No network, no extensions, a profile of its own: the report must stand alone.
chromium --headless=new --no-sandbox --disable-gpu --disable-extensions --no-first-run \
  --user-data-dir="$work/profile" --proxy-server=127.0.0.1:9 --hide-scrollbars \
  --window-size=1280,1400 --screenshot="$work/report.png" "file://$work/report.html" >"$work/chromium.log" 2>&1 || {
  echo "report picture: chromium failed:"; cat "$work/chromium.log"; exit 1
}
cp "$work/report.png" "$build/report.png"
"$build/bin/picture_check" "$work/report.png"
