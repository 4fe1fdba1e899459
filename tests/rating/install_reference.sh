#!/usr/bin/env bash
# Makes FOLDER ready for the rating's reference test: the openskill package at
# the version package.json pins, installed with npm, and the rating script.
# Fails (no skipping) when Node.js or npm is missing: scripts/install-deps.sh
# installs both.
#
#   bash tests/rating/install_reference.sh FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
folder=$1
version=5.0.1

for tool in node npm; do
  if ! command -v "$tool" > /dev/null; then
    echo "$tool is missing: the rating's reference test needs Node.js and npm (bash scripts/install-deps.sh)" >&2
    exit 1
  fi
done
mkdir -p "$folder"
cp "$here/package.json" "$here/rate_reference.mjs" "$folder/"
installed="$folder/node_modules/openskill/package.json"
if [ -f "$installed" ] && grep -q "\"version\": \"$version\"" "$installed"; then
  echo "openskill $version is installed in $folder"
  exit 0
fi
cd "$folder"
npm install --no-save --no-audit --no-fund --loglevel=error "openskill@$version"
grep -q "\"version\": \"$version\"" "$installed" || { echo "npm did not install openskill $version" >&2; exit 1; }
echo "openskill $version installed in $folder"
