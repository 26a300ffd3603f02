#!/usr/bin/env bash
# Three agents share one job (--worker) and one of them is killed (kill -9)
# at a random moment, ROUNDS times (default 10). After each round every
# table must hold each of its records exactly once (its ID column is
# unique in the file), the survivors must end with status 0, one of them
# must print the job's summary, and the work table must be gone.
# The folder has one table big enough to be loaded in ranges and four small
# ones; the emulation models a server's work on each row so that a kill
# finds work under way.
#   scripts/worker-kill-repeat.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=$(cd "${1:?usage: worker-kill-repeat.sh BUILD_DIR [ROUNDS]}" && pwd)
rounds=${2:-10}
agent=$build/apps/vpxagent/vpxagent
tool=$build/ociemu/ociemu
work=$(mktemp -d "${TMPDIR:-/tmp}/vesper-kill-XXXXXX")
trap 'kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

export XDG_CONFIG_HOME=$work/settings VESPER_OCI_LIB=$build/ociemu/libociemu.so VESPER_ORACLE_PASSWORD=tiger
export LC_ALL=C.UTF-8 OCIEMU_SERVER_ROW_US=${OCIEMU_SERVER_ROW_US:-100} VESPER_WORKER_LEASE_MS=${VESPER_WORKER_LEASE_MS:-1500}
unset VESPER_DEFAULT_CODEPAGE

declare -A records=([BIG]=80000 [S1]=4000 [S2]=3000 [S3]=2000 [S4]=1000)
mkdir -p "$work/src"
for name in "${!records[@]}"; do
  mkdir -p "$work/make"
  "$build/bench/make_fox_table" "$work/make" "${records[$name]}" >/dev/null
  mv "$work/make/BIG.DBF" "$work/src/$name.DBF"
  mv "$work/make/BIG.FPT" "$work/src/$name.FPT"
done

value() { "$tool" sql XE scott tiger "$1" | sed -n 2p; }

failed=0
for round in $(seq "$rounds"); do
  export OCIEMU_HOME=$work/oracle
  rm -rf "$OCIEMU_HOME"
  "$tool" create-service XE scott tiger >/dev/null
  pids=()
  for i in 1 2 3; do
    "$agent" --src="$work/src" --dest=XE --oraclu=scott --worker >"$work/out-$i" 2>&1 &
    pids+=($!)
  done
  victim=$((RANDOM % 3))
  # Somewhere in the first four seconds: before, during or after its first table.
  sleep "$((RANDOM % 4)).$((RANDOM % 10))"
  kill -9 "${pids[$victim]}" 2>/dev/null || true
  problems=()
  killed="killed while working"
  for i in 0 1 2; do
    status=0
    { wait "${pids[$i]}"; } 2>/dev/null || status=$?
    if [ "$i" -eq "$victim" ]; then
      [ "$status" -eq 137 ] || killed="killed after it ended (status $status)"
    elif [ "$status" -ne 0 ]; then
      problems+=("worker $((i + 1)) ended with status $status")
    fi
  done
  for name in "${!records[@]}"; do
    rows=$(value "SELECT COUNT(*) FROM \"$name\"")
    ids=$(value "SELECT COUNT(DISTINCT ID) FROM \"$name\"")
    [ "$rows" = "${records[$name]}" ] && [ "$ids" = "${records[$name]}" ] ||
      problems+=("$name holds $rows rows, $ids distinct IDs, of ${records[$name]} records")
  done
  [ "$(value "SELECT COUNT(*) FROM USER_TABLES WHERE TABLE_NAME = 'VESPER\$WORK'")" = 0 ] ||
    problems+=("the work table is still there")
  grep -q '^Job: ' "$work"/out-* || problems+=("no worker printed the job's summary")
  if [ ${#problems[@]} -eq 0 ]; then
    echo "round $round: worker $((victim + 1)) $killed; every record once"
  else
    failed=1
    echo "round $round: worker $((victim + 1)) $killed; FAILED:"
    printf '  %s\n' "${problems[@]}"
    for i in 1 2 3; do echo "--- worker $i"; tail -5 "$work/out-$i"; done
  fi
done
exit $failed
