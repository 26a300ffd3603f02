#!/usr/bin/env bash
# Configures the given folder (once; later runs keep its cache) and builds
# what changed since the last build.
#   scripts/build.sh [build folder] [extra cmake options...]
#   VESPER_TARGETS="vpxagent ociemu" scripts/build.sh   builds only those targets
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true
"$here/scripts/install-deps.sh"
# Re-running cmake on a configured folder only applies the options given.
if [ ! -f "$build/CMakeCache.txt" ] || [ $# -gt 0 ]; then
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
targets=()
for target in ${VESPER_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
