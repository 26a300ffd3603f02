#!/usr/bin/env bash
# Builds the benchmarks (Release, -O2) and runs the DBF read benchmark at
# 100,000 and 1,000,000 records, with GDAL's ogr2ogr as the peer reader, then the
# conversion benchmark (both insert paths, with and without a round-trip delay),
# the decode beside pgdbf, the agent's CPU split and the many-tables run
# (bench/README.md lists them).
#   scripts/bench.sh [record counts...]
# The build goes to $VESPER_BENCH_BUILD (default build-bench in the repository).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VESPER_BENCH_BUILD:-$here/build-bench}
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(100000 1000000)

# gdal-bin gives ogr2ogr and pgdbf the second peer reader; linux-perf splits the agent's CPU time.
"$here/scripts/install-deps.sh" gdal-bin pgdbf linux-perf

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DVESPER_TESTS=ON -DVESPER_BENCH=ON >/dev/null
cmake --build "$build" --target bench_dbf_read -j"$(nproc)"

for n in "${counts[@]}"; do
  echo "== $n records"
  "$build/bench/bench_dbf_read" --records "$n"
done
echo "== conversion into the emulation by the agent"; cmake --build "$build" --target bench_convert -j"$(nproc)" && "$build/bench/bench_convert"
cmake --build "$build" --target dbf_read_folder make_fox_table vpxagent ociemu ociemu_oci bench_many_tables -j"$(nproc)"
echo "== the FoxPro table beside pgdbf and GDAL"; "$here/bench/decode_peers.sh" "$build"
echo "== the agent's CPU time per record, the emulation's share apart"; "$here/bench/agent_cpu.sh" "$build"
echo "== 250 and 2,000 small tables"; "$build/bench/bench_many_tables"
