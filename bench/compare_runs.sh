#!/usr/bin/env bash
# Converts the samples and every folder of the shared corpus with one build's
# agent, on both insert paths, and keeps what each run left behind; then two
# such results can be compared, so that a change of structure is shown to
# leave every converted byte as it was.
#
#   bench/compare_runs.sh run BUILD_DIR OUTPUT_DIR
#   bench/compare_runs.sh compare BEFORE_DIR AFTER_DIR
#
# run: each folder (samples/ of this tree, and each folder holding files
# under ../shared/dbf-corpus/files beside it) is copied to a work folder and
# converted into a fresh emulated service, once with the batch path (the
# default) and once with --rowbyrow, rejected records going to a bad-file
# folder. OUTPUT_DIR/<path>/<folder>.txt then holds the agent's exit status,
# its standard output and error, whether the copied source changed, the bad
# files in hex and every table of every schema with the dictionary, as
# bench/dump_service.py prints them. Lines that hold a time go to
# <folder>.timings beside it, with the run's wall time; those are not
# compared. AGENT, OCI_LIB and TOOL name another build's agent, emulation
# library and admin tool.
#
# compare: every .txt file of both folders, byte for byte; prints the
# tables, rows and files compared and the first differing lines of each
# file that differs (and whether only the order of lines differs). Exits 1
# on any difference.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
usage() {
  echo "usage: compare_runs.sh run BUILD_DIR OUTPUT_DIR | compare BEFORE_DIR AFTER_DIR" >&2
  exit 2
}

# Lines that report a time differ from run to run; the agent prints none
# today, but a progress or summary line with seconds would.
timing_lines='([0-9]+[.,][0-9]+ ?s( |$|,|\))|[0-9]+ ?ms( |$)|seconds|elapsed|records/s|rec/s)'

# The path of a folder as one file name: samples, corpus+harbour, ...
folder_label() { echo "${1//\//+}"; }

# hex_files FOLDER: each file under FOLDER by name, its bytes in hex.
hex_files() {
  (cd "$1" && find . -type f | LC_ALL=C sort) | while IFS= read -r file; do
    echo "### ${file#./} ($(wc -c <"$1/$file") bytes)"
    od -An -v -tx1 -w32 "$1/$file"
  done
}

# convert_one LABEL SOURCE PATH OUTPUT: one folder through one insert path.
convert_one() {
  local label=$1 source=$2 path=$3 output=$4
  local work
  work=$(mktemp -d "${TMPDIR:-/tmp}/vesper-compare-runs-XXXXXX")
  mkdir -p "$work/src" "$work/bad" "$work/settings" "$work/oracle"
  find "$source" -maxdepth 1 -type f -exec cp -p {} "$work/src/" \;
  local extra=()
  [ "$path" = rowbyrow ] && extra=(--rowbyrow)
  local status=0 start end
  start=$(date +%s.%N)
  (
    export OCIEMU_HOME=$work/oracle XDG_CONFIG_HOME=$work/settings VESPER_OCI_LIB=$oci_lib
    export VESPER_ORACLE_PASSWORD=tiger LC_ALL=C.UTF-8
    unset VESPER_DEFAULT_CODEPAGE OCIEMU_ROUND_TRIPS
    "$tool" create-service XE scott tiger >/dev/null
    cd "$work"
    "$agent" --dest=XE --oraclu=scott --src="$work/src" --badfile="$work/bad/" "${extra[@]}" \
      >"$work/stdout" 2>"$work/stderr"
  ) || status=$?
  end=$(date +%s.%N)
  local text="$output/$path/$label.txt" times="$output/$path/$label.timings"
  # The work folder's name differs from run to run.
  for stream in stdout stderr; do
    sed -i "s#$work#<work>#g" "$work/$stream"
    grep -E "$timing_lines" "$work/$stream" | sed "s/^/$stream: /" >>"$times" || true
    grep -vE "$timing_lines" "$work/$stream" >"$work/$stream.kept" || true
  done
  echo "wall seconds: $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f", e - s }')" >>"$times"
  {
    echo "# folder $label, $path path"
    echo "# agent exit status $status"
    echo "## standard output"
    cat "$work/stdout.kept"
    echo "## standard error"
    cat "$work/stderr.kept"
    echo "## source folder after the run"
    if diff -r "$source" "$work/src" >/dev/null 2>&1; then
      echo "unchanged"
    else
      (diff -rq "$source" "$work/src" || true) | sed "s#$work#<work>#g; s#$source#<source>#g"
    fi
    echo "## bad files"
    hex_files "$work/bad"
    # The journal of a run that did not finish names the work folder.
    python3 "$here/bench/dump_service.py" "$work/oracle" | sed "s#$work#<work>#g"
  } >"$text"
  rm -rf "$work"
}

run() {
  local build=$1 output=$2
  agent=${AGENT:-$build/apps/vpxagent/vpxagent}
  oci_lib=${OCI_LIB:-$build/ociemu/libociemu.so}
  tool=${TOOL:-$build/ociemu/ociemu}
  for program in "$agent" "$oci_lib" "$tool"; do
    [ -e "$program" ] || { echo "missing: $program" >&2; exit 2; }
  done
  agent=$(cd "$(dirname "$agent")" && pwd)/$(basename "$agent")
  oci_lib=$(cd "$(dirname "$oci_lib")" && pwd)/$(basename "$oci_lib")
  tool=$(cd "$(dirname "$tool")" && pwd)/$(basename "$tool")
  local corpus=$here/../shared/dbf-corpus/files
  [ -d "$corpus" ] || { echo "no shared corpus at $corpus" >&2; exit 2; }
  corpus=$(cd "$corpus" && pwd)
  # Only an earlier result is replaced, never a folder of something else.
  if [ -d "$output" ] && [ -n "$(ls -A "$output")" ] && [ ! -f "$output/programs.timings" ]; then
    echo "$output holds something other than an earlier result; give a new or empty folder" >&2
    exit 2
  fi
  rm -rf "$output"
  mkdir -p "$output/batch" "$output/rowbyrow"
  {
    echo "agent: $agent"
    echo "emulation: $oci_lib"
    echo "commit of the agent's tree: $(git -C "$(dirname "$agent")" rev-parse HEAD 2>/dev/null || echo unknown)"
  } >"$output/programs.timings"
  local folders=("samples|$here/samples")
  while IFS= read -r -d '' folder; do
    folders+=("corpus/${folder#"$corpus"/}|$folder")
  done < <(find "$corpus" -type f -printf '%h\0' | LC_ALL=C sort -zu)
  for entry in "${folders[@]}"; do
    local label source
    label=$(folder_label "${entry%%|*}")
    source=${entry#*|}
    for path in batch rowbyrow; do
      convert_one "$label" "$source" "$path" "$output"
    done
    echo "$label: batch status $(sed -n 's/^# agent exit status //p' "$output/batch/$label.txt")," \
      "row by row $(sed -n 's/^# agent exit status //p' "$output/rowbyrow/$label.txt")"
  done
}

# count_in FILE: "tables rows" of the user tables a dump holds.
count_in() {
  awk '/^## table / { t++; sub(/.* rows=/, ""); r += $0 } END { print t + 0, r + 0 }' "$1"
}

compare() {
  local before=$1 after=$2
  for folder in "$before" "$after"; do
    [ -f "$folder/programs.timings" ] || { echo "$folder is not a result of compare_runs.sh run" >&2; exit 2; }
  done
  local files=0 differing=0 tables=0 rows=0
  local -A path_files=() path_tables=() path_rows=()
  local names
  names=$( (cd "$before" && find . -name '*.txt'; cd "$after" && find . -name '*.txt') | LC_ALL=C sort -u)
  while IFS= read -r name; do
    name=${name#./}
    files=$((files + 1))
    if [ ! -f "$before/$name" ] || [ ! -f "$after/$name" ]; then
      differing=$((differing + 1))
      echo "ONLY IN ONE: $name"
      continue
    fi
    local counts path=${name%%/*}
    counts=$(count_in "$before/$name")
    tables=$((tables + ${counts% *}))
    rows=$((rows + ${counts#* }))
    path_tables[$path]=$((${path_tables[$path]:-0} + ${counts% *}))
    path_rows[$path]=$((${path_rows[$path]:-0} + ${counts#* }))
    path_files[$path]=$((${path_files[$path]:-0} + 1))
    if ! cmp -s "$before/$name" "$after/$name"; then
      differing=$((differing + 1))
      if cmp -s <(LC_ALL=C sort "$before/$name") <(LC_ALL=C sort "$after/$name"); then
        echo "DIFFERS (the same lines in another order): $name"
      else
        echo "DIFFERS: $name (tables, rows before: $counts; after: $(count_in "$after/$name"))"
      fi
      diff "$before/$name" "$after/$name" | cut -c1-300 | head -n 12 || true
    fi
  done <<<"$names"
  for path in $(printf '%s\n' "${!path_files[@]}" | LC_ALL=C sort); do
    echo "$path: files=${path_files[$path]} tables=${path_tables[$path]} rows=${path_rows[$path]}"
  done
  echo "files=$files tables=$tables rows=$rows differing_files=$differing"
  [ "$differing" -eq 0 ]
}

case ${1:-} in
  run) [ $# -eq 3 ] || usage; run "$2" "$3" ;;
  compare) [ $# -eq 3 ] || usage; compare "$2" "$3" ;;
  *) usage ;;
esac
