#!/usr/bin/env bash
# Tables loaded on several Oracle sessions (--parallel): a folder of eight
# FoxPro tables of make_fox_table of 250,000 records and one of 2,000,000
# (memos on every 10th record), each count divided by SCALE (default 1) for
# quicker runs, into a fresh schema of the embedded emulation for each run.
# Each round trip waits as a network would (OCIEMU_ROUND_TRIP_DELAY_US,
# default 500) and each row as a server maintaining indexes would
# (OCIEMU_SERVER_ROW_US, default 20): a model of a server whose sessions
# work side by side, not a measure of one. For each run: the wall time,
# records per second, and whether its summary matches the first run's.
#   bench/parallel_bench.sh BUILD_DIR [SCALE] [SESSIONS...]
# BASELINE_AGENT=path/to/vpxagent adds a run of that agent (another build,
# e.g. one without the decode overlap) with --parallel=1 first.
# WORKERS=N adds a job of N agents started together with --worker (one
# session each) after the runs, with the records the job's summary counts.
set -euo pipefail
build=${1:?usage: parallel_bench.sh BUILD_DIR [SCALE] [SESSIONS...]}
scale=${2:-1}
shift $(( $# > 1 ? 2 : 1 ))
sessions=("$@")
[ ${#sessions[@]} -eq 0 ] && sessions=(1 4)
work=$(mktemp -d "${TMPDIR:-/tmp}/vesper-parallel-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

export XDG_CONFIG_HOME=$work/settings VESPER_OCI_LIB=$build/ociemu/libociemu.so VESPER_ORACLE_PASSWORD=tiger
export LC_ALL=C.UTF-8
export OCIEMU_ROUND_TRIP_DELAY_US=${OCIEMU_ROUND_TRIP_DELAY_US:-500} OCIEMU_SERVER_ROW_US=${OCIEMU_SERVER_ROW_US:-20}
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
big=$((2000000 / scale)) small=$((250000 / scale))
add_table BIG "$big"
for name in T1 T2 T3 T4 T5 T6 T7 T8; do add_table "$name" "$small"; done
total=$((big + 8 * small))

# run_once LABEL AGENT SESSIONS
run_once() {
  local label=$1 agent=$2 n=$3 start end
  export OCIEMU_HOME=$work/oracle-$label
  "$build/ociemu/ociemu" create-service XE scott tiger >/dev/null
  start=$(date +%s.%N)
  # An agent from before --parallel knows no such option: one session is its only way.
  "$agent" --src="$work/src" --dest=XE --oraclu=scott ${n:+--parallel="$n"} \
    >"$work/out-$label" 2>&1 || echo "run $label failed: $(tail -3 "$work/out-$label")"
  end=$(date +%s.%N)
  awk -v l="$label" -v s="$start" -v e="$end" -v r="$total" \
    'BEGIN { printf "%-24s %8.2f s  %9.0f records/s\n", l, e - s, r / (e - s) }'
  sed -n '/^Summary:/,$p' "$work/out-$label" | grep -v -e '^Wall time' -e '^Run: ' >"$work/summary-$label" || true
  [ -n "${first:-}" ] || first=$label
  cmp -s "$work/summary-$label" "$work/summary-$first" || echo "                         summary differs from $first"
  rm -rf "$OCIEMU_HOME"
}

echo "records: $total in 9 tables (scale 1/$scale), round trip: ${OCIEMU_ROUND_TRIP_DELAY_US} us," \
  "server: ${OCIEMU_SERVER_ROW_US} us a row, cores: $(nproc)"
[ -n "${BASELINE_AGENT:-}" ] && run_once "baseline, one session" "$BASELINE_AGENT" ""
for n in "${sessions[@]}"; do run_once "--parallel=$n" "$build/apps/vpxagent/vpxagent" "$n"; done

# run_workers N: N agents share the job through the schema's work table.
run_workers() {
  local n=$1 label="$1 x --worker" start end i
  export OCIEMU_HOME=$work/oracle-workers
  "$build/ociemu/ociemu" create-service XE scott tiger >/dev/null
  start=$(date +%s.%N)
  for i in $(seq "$n"); do
    "$build/apps/vpxagent/vpxagent" --src="$work/src" --dest=XE --oraclu=scott --worker >"$work/out-worker-$i" 2>&1 &
  done
  wait
  end=$(date +%s.%N)
  awk -v l="$label" -v s="$start" -v e="$end" -v r="$total" \
    'BEGIN { printf "%-24s %8.2f s  %9.0f records/s\n", l, e - s, r / (e - s) }'
  grep -h '^Job: ' "$work"/out-worker-* | sed 's/^/                         /' || echo "                         no job summary"
  rm -rf "$OCIEMU_HOME"
}
[ -n "${WORKERS:-}" ] && run_workers "$WORKERS"
exit 0
