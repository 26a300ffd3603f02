#!/usr/bin/env bash
# Installs what is missing, builds everything from scratch and runs every test.
#   scripts/test.sh            normal build in ./build
#   VESPER_SANITIZE=1 scripts/test.sh   AddressSanitizer + UBSan build in ./build-asan
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ "${VESPER_SANITIZE:-0}" = 1 ]; then
  build=$here/build-asan
  "$here/scripts/build.sh" "$build" -DVESPER_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
else
  build=$here/build
  "$here/scripts/build.sh" "$build"
fi
cd "$build"
ctest --output-on-failure -j"$(nproc)"
