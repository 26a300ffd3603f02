#!/usr/bin/env bash
# The agent's CPU time per record when it converts the FoxPro table of
# make_fox_table into the embedded Oracle emulation (batch path), with the
# emulation's share shown apart: perf samples the run and splits them by the
# library they fall in. The emulation (libociemu with SQLite) runs inside the
# agent's process, so only the split tells the agent's own cost.
#   bench/agent_cpu.sh BUILD_DIR [RECORDS]
# AGENT and OCI_LIB name another build's agent and emulation to time instead
# (an earlier commit's, for a before-and-after figure).
# Needs: apt-get install linux-perf (user-space sampling: perf_event_paranoid <= 2).
set -euo pipefail
build=${1:?usage: agent_cpu.sh BUILD_DIR [RECORDS]}
records=${2:-200000}
agent=${AGENT:-$build/apps/vpxagent/vpxagent}
oci_lib=${OCI_LIB:-$build/ociemu/libociemu.so}
work=$(mktemp -d "${TMPDIR:-/tmp}/vesper-agent-cpu-XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/src"
"$build/bench/make_fox_table" "$work/src" "$records" >/dev/null
export OCIEMU_HOME=$work/oracle XDG_CONFIG_HOME=$work/settings VESPER_OCI_LIB=$oci_lib
"$build/ociemu/ociemu" create-service XE scott tiger >/dev/null

perf record -q -F 2000 -e cpu-clock -o "$work/perf.data" -- \
  /usr/bin/time -o "$work/time.txt" -f "%U %S" \
  "$agent" --src="$work/src" --dest=XE --oraclu=scott --oraclp=tiger >"$work/agent.out" 2>"$work/perf.err" ||
  { cat "$work/perf.err"; exit 1; }
cpu=$(awk '{print $1 + $2}' "$work/time.txt")
perf report -q -i "$work/perf.data" --sort dso --stdio 2>/dev/null | awk 'NF >= 2 {sub("%", "", $1); print $1, $2}' \
  > "$work/dso.txt"

echo "agent: $agent"
tail -n 2 "$work/agent.out"
echo "records: $records, CPU (user + system): $cpu s"
awk -v cpu="$cpu" -v r="$records" '
  { printf "  %-28s %6.2f%%  %7.2f us/record\n", $2, $1, cpu * $1 / 100 / r * 1e6 }' "$work/dso.txt"
awk -v cpu="$cpu" -v r="$records" '
  { if ($2 ~ /ociemu|sqlite/) emu += $1; else own += $1 }
  END {
    printf "emulation (libociemu, SQLite): %.2f us/record\n", cpu * emu / 100 / r * 1e6
    printf "agent without the emulation:   %.2f us/record\n", cpu * own / 100 / r * 1e6
  }' "$work/dso.txt"
