#!/usr/bin/env bash
# The agent's own instructions per record, counted by callgrind, when it
# converts the FoxPro table of make_fox_table into the embedded emulation,
# on the batch path and on the row-by-row path. Instruction counts barely
# move from run to run, unlike the CPU time agent_cpu.sh samples on a busy
# machine, so two builds can be held to a margin of a few percent.
#   bench/agent_instructions.sh BUILD_DIR [RECORDS]
# AGENT and OCI_LIB name another build's agent and emulation to count
# instead (an earlier commit's, for a before-and-after figure); the table
# always comes from BUILD_DIR's make_fox_table.
# Each path runs twice, with RECORDS (default 10000) and a fifth of them:
# the difference is the cost of the extra records alone, without the start,
# the connection and the table's creation. The split by caller is
# callgrind_split.py's: whatever runs under a call of an OCI function is the
# emulation's, the rest is the agent's own.
# Needs: apt-get install valgrind.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: agent_instructions.sh BUILD_DIR [RECORDS]}
records=${2:-10000}
few=$((records / 5))
agent=${AGENT:-$build/apps/vpxagent/vpxagent}
oci_lib=${OCI_LIB:-$build/ociemu/libociemu.so}
work=$(mktemp -d "${TMPDIR:-/tmp}/vesper-agent-instructions-XXXXXX")
trap 'rm -rf "$work"' EXIT

export XDG_CONFIG_HOME=$work/settings VESPER_OCI_LIB=$oci_lib VESPER_ORACLE_PASSWORD=tiger LC_ALL=C.UTF-8
unset VESPER_DEFAULT_CODEPAGE OCIEMU_ROUND_TRIPS

# count PATH RECORDS: the split of one conversion under callgrind, as
# "total emulation own" followed by the objects' lines.
count() {
  local path=$1 n=$2 run=$work/$1-$2
  mkdir -p "$run/src"
  "$build/bench/make_fox_table" "$run/src" "$n" >/dev/null
  export OCIEMU_HOME=$run/oracle
  "$build/ociemu/ociemu" create-service XE scott tiger >/dev/null
  local extra=()
  [ "$path" = rowbyrow ] && extra=(--rowbyrow)
  valgrind --tool=callgrind --callgrind-out-file="$run/callgrind.out" --dump-line=no --dump-instr=no \
    "$agent" --src="$run/src" --dest=XE --oraclu=scott "${extra[@]}" >"$run/agent.out" 2>"$run/valgrind.err" ||
    { cat "$run/agent.out" "$run/valgrind.err"; exit 1; }
  grep -q "inserted $n, failed 0" "$run/agent.out" || { cat "$run/agent.out"; exit 1; }
  python3 "$here/callgrind_split.py" "$run/callgrind.out" >"$run/split.txt"
}

value() { awk -v k="$2" '$1 == k { print $2 }' "$1"; }

echo "agent: $agent"
echo "emulation: $oci_lib"
for path in batch rowbyrow; do
  count "$path" "$records"
  count "$path" "$few"
  many=$work/$path-$records/split.txt less=$work/$path-$few/split.txt
  echo "$path path, instructions (callgrind Ir):"
  for n in "$records" "$few"; do
    split=$work/$path-$n/split.txt
    echo "  $n records: total $(value "$split" total), emulation $(value "$split" emulation)," \
      "agent's own $(value "$split" own)"
  done
  awk -v own1="$(value "$many" own)" -v own0="$(value "$less" own)" -v emu1="$(value "$many" emulation)" \
    -v emu0="$(value "$less" emulation)" -v n1="$records" -v n0="$few" 'BEGIN {
      printf "  per record, whole run of %d: agent'"'"'s own %.0f, emulation %.0f\n", n1, own1 / n1, emu1 / n1
      printf "  per record, the %d extra records alone: agent'"'"'s own %.0f, emulation %.0f\n", n1 - n0,
             (own1 - own0) / (n1 - n0), (emu1 - emu0) / (n1 - n0)
    }'
  echo "  by library, instructions executed in each (whole run of $records), per record:"
  awk -v n="$records" '/^object:/ { name = substr($1, 8); sub(/.*\//, "", name); if ($2 / n >= 1)
    printf "    %-28s %8.0f\n", name, $2 / n }' "$many"
done
