#!/usr/bin/env bash
# Checks the format, builds Corvane and runs every test: once in a normal
# build, once with AddressSanitizer and UndefinedBehaviorSanitizer (skip that
# with CORVANE_NO_SANITIZE=1). Ends by checking that the tests left the
# source tree as they found it (git status as before the run).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
status_before=$(git status --porcelain --untracked-files=normal)
bash scripts/deps.sh test
# Every source file in the project's .clang-format style.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
bash scripts/build.sh build
(cd build && ctest --output-on-failure --timeout 600 -j "$(nproc)")
if [ "${CORVANE_NO_SANITIZE:-0}" != 1 ]; then
  bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON
  (cd build-asan && ctest --output-on-failure --timeout 900 -j "$(nproc)" -LE nosanitize)
fi
# Tests write only into temporary folders and the build folders.
if [ "$(git status --porcelain --untracked-files=normal)" != "$status_before" ]; then
  echo "the tests changed the source tree:" >&2
  git status --short >&2
  exit 1
fi
