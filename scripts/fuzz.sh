#!/usr/bin/env bash
# Builds the DBF fuzz target with clang (libFuzzer, ASan, UBSan) and runs it.
#   scripts/fuzz.sh [seconds] [extra seed folder...] [-- libFuzzer options...]
# The build goes to $VESPER_FUZZ_BUILD (default build-fuzz in the repository).
# Seeds are made by make_dbf_fuzz_seeds; the corpus the fuzzer grows is kept
# in $VESPER_FUZZ_WORK/corpus (default: the build folder), crashes in
# $VESPER_FUZZ_WORK/artifacts. Extra seed folders (for example tables from
# elsewhere, each .dbf with its memo file) are joined into fuzz inputs first.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
extra=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do extra+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift

# clang 14 and its runtime libraries give -fsanitize=fuzzer on Debian 12.
"$here/scripts/install-deps.sh" clang libclang-rt-14-dev

build=${VESPER_FUZZ_BUILD:-$here/build-fuzz}
work=${VESPER_FUZZ_WORK:-$build}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVESPER_FUZZ=ON -DVESPER_SANITIZE=ON -DVESPER_TESTS=ON -DVESPER_BENCH=OFF >/dev/null
cmake --build "$build" --target dbf_recordset_fuzzer make_dbf_fuzz_seeds -j"$(nproc)"

seeds="$work/seeds"
rm -rf "$seeds"
"$build/fuzz/make_dbf_fuzz_seeds" "$seeds" "${extra[@]}"
mkdir -p "$work/corpus" "$work/artifacts"

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
"$build/fuzz/dbf_recordset_fuzzer" "$work/corpus" "$seeds" \
  -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=65536 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$@"
