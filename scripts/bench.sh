#!/usr/bin/env bash
# Builds the benchmarks (Release, -O2) and runs the DBF read benchmark at
# 100,000 and 1,000,000 records, with GDAL's ogr2ogr as the peer reader, then the
# conversion benchmark (both insert paths, with and without a round-trip delay).
#   scripts/bench.sh [record counts...]
# The build goes to $VESPER_BENCH_BUILD (default build-bench in the repository).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VESPER_BENCH_BUILD:-$here/build-bench}
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(100000 1000000)

# gdal-bin gives ogr2ogr, the peer reader.
"$here/scripts/install-deps.sh" gdal-bin

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DVESPER_TESTS=ON -DVESPER_BENCH=ON >/dev/null
cmake --build "$build" --target bench_dbf_read -j"$(nproc)"

for n in "${counts[@]}"; do
  echo "== $n records"
  "$build/bench/bench_dbf_read" --records "$n"
done
echo "== conversion into the emulation by the agent"; cmake --build "$build" --target bench_convert -j"$(nproc)" && "$build/bench/bench_convert"
