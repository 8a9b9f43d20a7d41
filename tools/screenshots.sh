#!/usr/bin/env bash
# Regenerates docs/screenshots/ from the page and dialog tests, the source
# view test and the Show Changes test. The tests
# save their pictures under BUILD_DIR/screenshots/ (never into the source
# tree); this script runs them and copies the pictures over.
# Usage: tools/screenshots.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
if [ ! -f "$build/CTestTestfile.cmake" ]; then
  echo "no configured build in $build (run: bash scripts/build.sh build)" >&2
  exit 1
fi
cmake --build "$build" --parallel "$(nproc)"
rm -rf "$build/screenshots"
(cd "$build" && ctest -R 'tst_(pages|dialogs)_|tst_console_find|tst_transferwizard' -j1 --output-on-failure)
mkdir -p "$top/docs/screenshots"
cp "$build"/screenshots/*.png "$top/docs/screenshots/"
echo "copied $(ls "$build"/screenshots/*.png | wc -l) pictures into docs/screenshots/"
