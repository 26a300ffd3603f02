#!/usr/bin/env bash
# Tables loaded on one, two and four Oracle sessions (--parallel): a folder
# of one big FoxPro table of make_fox_table (RECORDS records, default
# 200,000) and four of a quarter of that, into a fresh schema of the
# embedded emulation for each run, each round trip delayed as a network
# would (OCIEMU_ROUND_TRIP_DELAY_US, default 500). For each run: the wall
# time, records per second, and whether its summary matches the first run's.
#   bench/parallel_bench.sh BUILD_DIR [RECORDS] [SESSIONS...]
set -euo pipefail
build=${1:?usage: parallel_bench.sh BUILD_DIR [RECORDS] [SESSIONS...]}
records=${2:-200000}
shift $(( $# > 1 ? 2 : 1 ))
sessions=("$@")
[ ${#sessions[@]} -eq 0 ] && sessions=(1 2 4)
work=$(mktemp -d "${TMPDIR:-/tmp}/vesper-parallel-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

export XDG_CONFIG_HOME=$work/settings VESPER_OCI_LIB=$build/ociemu/libociemu.so VESPER_ORACLE_PASSWORD=tiger
export LC_ALL=C.UTF-8 OCIEMU_ROUND_TRIP_DELAY_US=${OCIEMU_ROUND_TRIP_DELAY_US:-500}
unset VESPER_DEFAULT_CODEPAGE
mkdir -p "$work/src"
# make_fox_table writes BIG.DBF and BIG.FPT: each table is renamed as it is made.
add_table() {
  local name=$1 count=$2
  mkdir -p "$work/make"
  "$build/bench/make_fox_table" "$work/make" "$count" >/dev/null
  mv "$work/make/BIG.DBF" "$work/src/$name.DBF"
  mv "$work/make/BIG.FPT" "$work/src/$name.FPT"
}
add_table BIG "$records"
for name in T1 T2 T3 T4; do add_table "$name" $((records / 4)); done
total=$((records * 2))

run_once() {
  local n=$1 start end
  export OCIEMU_HOME=$work/oracle-$n
  "$build/ociemu/ociemu" create-service XE scott tiger >/dev/null
  start=$(date +%s.%N)
  "$build/apps/vpxagent/vpxagent" --src="$work/src" --dest=XE --oraclu=scott --parallel="$n" \
    >"$work/out-$n" 2>&1 || echo "run with --parallel=$n failed: $(tail -3 "$work/out-$n")"
  end=$(date +%s.%N)
  awk -v n="$n" -v s="$start" -v e="$end" -v r="$total" \
    'BEGIN { printf "--parallel=%-3s %8.2f s  %9.0f records/s\n", n, e - s, r / (e - s) }'
  sed -n '/^Summary:/,$p' "$work/out-$n" >"$work/summary-$n"
  cmp -s "$work/summary-$n" "$work/summary-${sessions[0]}" || echo "               summary differs from --parallel=${sessions[0]}"
}

echo "records: $total in 5 tables, round-trip delay: ${OCIEMU_ROUND_TRIP_DELAY_US} us, cores: $(nproc)"
for n in "${sessions[@]}"; do run_once "$n"; done
