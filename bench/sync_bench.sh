#!/usr/bin/env bash
# Sync mode against its first load: the FoxPro table of make_fox_table
# (RECORDS records, default 1,000,000) is synced into the embedded
# emulation by its ID three times, each round trip delayed as a network
# would (OCIEMU_ROUND_TRIP_DELAY_US, default 500):
#   1. the first sync, which creates and loads the table;
#   2. a sync with nothing changed;
#   3. a sync after 1% of the records were changed, 0.5% added and 0.5%
#      marked deleted.
# For each: the wall time, the round trips, round trips per record, and
# the agent's summary line; at the end the table's row count against the
# file's live records.
#   bench/sync_bench.sh BUILD_DIR [RECORDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: sync_bench.sh BUILD_DIR [RECORDS]}
records=${2:-1000000}
work=$(mktemp -d "${TMPDIR:-/tmp}/vesper-sync-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

export XDG_CONFIG_HOME=$work/settings VESPER_OCI_LIB=$build/ociemu/libociemu.so VESPER_ORACLE_PASSWORD=tiger
export LC_ALL=C.UTF-8 OCIEMU_HOME=$work/oracle OCIEMU_ROUND_TRIP_DELAY_US=${OCIEMU_ROUND_TRIP_DELAY_US:-500}
unset VESPER_DEFAULT_CODEPAGE
mkdir -p "$work/src"
"$build/bench/make_fox_table" "$work/src" "$records" >/dev/null
"$build/ociemu/ociemu" create-service XE scott tiger >/dev/null

sync_once() {
  local label=$1 start end trips
  export OCIEMU_ROUND_TRIPS=$work/trips-$label
  start=$(date +%s.%N)
  "$build/apps/vpxagent/vpxagent" --src="$work/src" --dest=XE --oraclu=scott --mode=3 --key=big:ID \
    >"$work/out-$label" 2>&1 || true
  end=$(date +%s.%N)
  trips=$(sed -n 's/^round_trips=//p' "$work/trips-$label")
  awk -v l="$label" -v s="$start" -v e="$end" -v t="$trips" -v n="$records" \
    'BEGIN { printf "%-10s %8.2f s  %7d round trips  %.5f per record\n", l, e - s, t, t / n }'
  grep '^big: read' "$work/out-$label" | sed 's/^/           /'
}

# Changes 1% of the records (a letter of NAME), marks 0.5% deleted and
# appends 0.5% new ones (copies with new IDs), as an application would.
change_table() {
  python3 - "$work/src/BIG.DBF" <<'PY'
import struct, sys
path = sys.argv[1]
data = bytearray(open(path, 'rb').read())
count, header, length = struct.unpack_from('<IHH', data, 4)
body = data[header:header + count * length]
def record(i): return header + i * length
for i in range(0, count, 100):          # 1% changed: the first letter of NAME (offset 11)
    data[record(i) + 11] = ord('Z')
for i in range(50, count, 200):         # 0.5% marked deleted
    data[record(i)] = ord('*')
extra = bytearray()
for n in range(count // 200):           # 0.5% new
    row = bytearray(data[record(n):record(n) + length])
    row[0] = ord(' ')
    row[1:11] = str(count + n + 1).rjust(10).encode()
    extra += row
end = header + count * length
data = data[:end] + extra + b'\x1a'
struct.pack_into('<I', data, 4, count + count // 200)
open(path, 'wb').write(data)
PY
}

echo "records: $records, round-trip delay: ${OCIEMU_ROUND_TRIP_DELAY_US} us"
sync_once first
sync_once unchanged
change_table
sync_once changed
live=$(python3 -c "
import struct
d = open('$work/src/BIG.DBF','rb').read()
n, h, l = struct.unpack_from('<IHH', d, 4)
print(sum(1 for i in range(n) if d[h + i * l] != 0x2a))")
echo "rows in Oracle: $(OCIEMU_ROUND_TRIPS= "$build/ociemu/ociemu" sql XE scott tiger 'SELECT COUNT(*) FROM BIG' | tail -1), live records: $live"
