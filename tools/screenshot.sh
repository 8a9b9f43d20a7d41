#!/usr/bin/env bash
# Takes a screenshot of the console with the tree expanded.
# Usage: tools/screenshot.sh OUT.png [APP_DIR] [BUILD_DIR]
# Without APP_DIR a fresh temporary application folder is used (it gets the
# Sample server). Runs offscreen; no display needed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: tools/screenshot.sh OUT.png [APP_DIR] [BUILD_DIR]}
build=${3:-$top/build}
program=$build/src/app/corvane
if [ ! -x "$program" ]; then
  echo "corvane is not built in $build (run: bash scripts/build.sh build)" >&2
  exit 1
fi
tmp=""
if [ -n "${2:-}" ]; then
  appdir=$2
else
  tmp=$(mktemp -d)
  appdir=$tmp/app
  trap 'rm -rf "$tmp"' EXIT
fi
mkdir -p "$(dirname "$out")"
QT_QPA_PLATFORM=offscreen "$program" --app-dir "$appdir" --screenshot "$out" --expand-depth "${CORVANE_EXPAND_DEPTH:-4}"
echo "saved $out"
