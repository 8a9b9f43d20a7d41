#!/usr/bin/env bash
# Builds Corvane and runs every test: once in a normal build, once with
# AddressSanitizer and UndefinedBehaviorSanitizer (skip that with CORVANE_NO_SANITIZE=1).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh test
bash scripts/build.sh build
(cd build && ctest --output-on-failure --timeout 600)
if [ "${CORVANE_NO_SANITIZE:-0}" != 1 ]; then
  bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON
  (cd build-asan && ctest --output-on-failure --timeout 900 -LE nosanitize)
fi
