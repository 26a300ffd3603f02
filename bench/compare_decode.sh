#!/usr/bin/env bash
# Reads every table of a corpus of DBF folders with the dbf_read_folder of
# two builds, every value of every record spelled out, and compares the
# outputs: a decoder change must leave every value as it was.
#   bench/compare_decode.sh OLD_BUILD NEW_BUILD [CORPUS]
# Both builds need a dbf_read_folder that prints every value when not told
# --quiet (this tree's). Exits 1 when any folder reads differently.
set -euo pipefail
old=${1:?usage: compare_decode.sh OLD_BUILD NEW_BUILD [CORPUS]}
new=${2:?usage: compare_decode.sh OLD_BUILD NEW_BUILD [CORPUS]}
corpus=${3:-$(cd "$(dirname "$0")/../.." && pwd)/shared/dbf-corpus}  # the shared corpus beside the project
work=$(mktemp -d "${TMPDIR:-/tmp}/vesper-compare-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The timing at the end of each run differs from run to run.
read_folder() {  # build folder
  "$1/bench/dbf_read_folder" "$2" 2>&1 | sed -E 's/ seconds=[0-9.]+$//' || true
}

folders=0 differing=0 tables=0 lines=0
while IFS= read -r -d '' folder; do
  folders=$((folders + 1))
  read_folder "$old" "$folder" >"$work/old.txt"
  read_folder "$new" "$folder" >"$work/new.txt"
  tables=$((tables + $(grep -cE '^(ok|FAILED) ' "$work/new.txt" || true)))
  lines=$((lines + $(wc -l <"$work/new.txt")))
  if ! cmp -s "$work/old.txt" "$work/new.txt"; then
    differing=$((differing + 1))
    echo "DIFFERS: $folder"
    diff "$work/old.txt" "$work/new.txt" | head -20
  fi
done < <(find "$corpus" -type f -iname '*.dbf' -printf '%h\0' | sort -zu)

echo "folders=$folders tables=$tables lines=$lines differing=$differing"
[ "$differing" -eq 0 ]
