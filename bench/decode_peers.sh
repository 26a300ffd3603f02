#!/usr/bin/env bash
# Times the decode of the million-record FoxPro table of make_fox_table by
# dbf_read_folder (every field and memo of every record to the value a
# conversion takes: numbers as decimals, text in UTF-16), by pgdbf (Debian's
# DBF-to-PostgreSQL converter, memos included, COPY text to /dev/null) and by
# GDAL's ogr2ogr (CSV, no memo text), in one run. CPU seconds (user + system)
# of each, best of --runs; the table is written once and read from the page
# cache by all three.
#   bench/decode_peers.sh BUILD_DIR [RECORDS] [RUNS]
# Needs: apt-get install pgdbf gdal-bin (a missing peer is reported and skipped).
set -euo pipefail
build=${1:?usage: decode_peers.sh BUILD_DIR [RECORDS] [RUNS]}
records=${2:-1000000}
runs=${3:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/vesper-peers-XXXXXX")
trap 'rm -rf "$work"' EXIT

"$build/bench/make_fox_table" "$work" "$records" >/dev/null
table=$(find "$work" -maxdepth 1 -iname '*.dbf' -printf '%f\n' | head -1)
memo=$(find "$work" -maxdepth 1 -iname '*.fpt' -printf '%f\n' | head -1)
cat "$work/$table" "$work/$memo" >/dev/null  # into the page cache

# CPU seconds of the best of $runs runs of a command.
cpu_seconds() {
  local best=""
  for _ in $(seq "$runs"); do
    local t
    /usr/bin/time -o "$work/time.txt" -f "%U %S" "$@" >/dev/null 2>&1
    t=$(awk '{print $1 + $2}' "$work/time.txt")
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
  done
  echo "$best"
}

report() {  # name seconds
  awk -v n="$1" -v s="$2" -v r="$records" \
    'BEGIN{printf "%-22s %8.2f s CPU %10.2f million records/s\n", n, s, (s > 0 ? r / s / 1e6 : 0)}'
}

echo "table: $records records, $(du -m "$work/$table" | cut -f1) MB + $(du -m "$work/$memo" | cut -f1) MB memo"
ours=$(cpu_seconds "$build/bench/dbf_read_folder" --quiet "$work")
report "vesper dbf_read_folder" "$ours"
if command -v pgdbf >/dev/null; then
  peer=$(cpu_seconds pgdbf -m "$work/$memo" "$work/$table")
  report "pgdbf -m" "$peer"
  awk -v a="$peer" -v b="$ours" 'BEGIN{printf "pgdbf time / vesper time = %.2f\n", (b > 0 ? a / b : 0)}'
else
  echo "pgdbf: missing (apt-get install pgdbf)"
fi
if command -v ogr2ogr >/dev/null; then
  gdal=$(cpu_seconds sh -c 'rm -rf "$1"; exec ogr2ogr -f CSV "$1" "$2"' - "$work/out.csv" "$work/$table")
  report "ogr2ogr -f CSV" "$gdal"
else
  echo "ogr2ogr: missing (apt-get install gdal-bin)"
fi
