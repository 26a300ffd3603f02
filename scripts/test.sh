#!/usr/bin/env bash
# Installs what is missing, builds what changed since the last build and
# runs every test. The demo builds in the same folder.
#   scripts/test.sh            normal build in ./build
#   VESPER_SANITIZE=1 scripts/test.sh   AddressSanitizer + UBSan build in ./build-asan
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ "${VESPER_SANITIZE:-0}" = 1 ]; then
  build=$here/build-asan
  "$here/scripts/build.sh" "$build" -DVESPER_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DVESPER_TESTS=ON
else
  build=$here/build
  # A folder an earlier demo configured without tests gets them back.
  "$here/scripts/build.sh" "$build" -DVESPER_TESTS=ON
fi
cd "$build"
ctest --output-on-failure -j"$(nproc)"
