#!/usr/bin/env bash
# Builds Corvane and starts the console. Extra arguments go to the program
# (for example --app-dir DIR). Without a display it runs under Xvfb.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh run
bash scripts/build.sh build
if [ -x build/src/app/corvane ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the console under Xvfb (xvfb-run)."
    exec xvfb-run -a build/src/app/corvane "$@"
  fi
  exec build/src/app/corvane "$@"
fi
exec build/src/cli/corvanectl --help
