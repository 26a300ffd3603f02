#!/usr/bin/env bash
# The agent's CPU time per record when it converts the FoxPro table of
# make_fox_table into the embedded Oracle emulation (batch path), with the
# emulation's share shown apart: perf samples the run and splits them by the
# library they fall in. The emulation (libociemu with SQLite) runs inside the
# agent's process, so only the split tells the agent's own cost.
#   bench/agent_cpu.sh BUILD_DIR [RECORDS]
# AGENT and OCI_LIB name another build's agent and emulation to time instead
# (an earlier commit's, for a before-and-after figure).
# The split by library counts a sample where it falls: allocator, memcpy and
# string code the emulation calls land in libc or in the agent's binary and
# count as the agent's. The split by caller counts every sample with a frame
# of libociemu or SQLite on its stack as the emulation's; that is the agent's
# own cost.
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
export XDG_CONFIG_HOME=$work/settings VESPER_OCI_LIB=$oci_lib

# convert HOME COMMAND...: the conversion into a fresh emulation, run by COMMAND.
convert() {
  export OCIEMU_HOME=$work/$1
  shift
  "$build/ociemu/ociemu" create-service XE scott tiger >/dev/null
  "$@" "$agent" --src="$work/src" --dest=XE --oraclu=scott --oraclp=tiger >"$work/agent.out" 2>"$work/agent.err" ||
    { cat "$work/agent.err"; exit 1; }
}
# Timed and sampled apart: under /usr/bin/time perf loses the stacks of some
# samples, and the sampling's own cost stays out of the time.
convert timed /usr/bin/time -o "$work/time.txt" -f "%U %S"
convert sampled perf record -q -F 1000 -m 16M --call-graph dwarf,16384 -e cpu-clock -o "$work/perf.data" --
cpu=$(awk '{print $1 + $2}' "$work/time.txt")
perf report -q -i "$work/perf.data" --no-children -g none --sort dso --stdio 2>/dev/null | awk 'NF >= 2 {sub("%", "", $1); print $1, $2}' \
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
# perf script prints each sample as a header line and one line per frame.
perf script -i "$work/perf.data" -F comm,ip,sym,dso 2>/dev/null | awk -v cpu="$cpu" -v r="$records" '
  function flush() {
    if (frames) { total++; if (emu) emulation++ }
    frames = 0; emu = 0
  }
  /^[^ \t]/ || NF == 0 { flush(); next }
  { frames++; if ($NF ~ /ociemu|sqlite/) emu = 1 }
  END {
    flush()
    if (!total) exit
    printf "by caller (%d samples): emulation %.2f us/record, agent'"'"'s own code %.2f us/record\n", total,
           cpu * emulation / total / r * 1e6, cpu * (total - emulation) / total / r * 1e6
  }'
