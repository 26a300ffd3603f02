#!/usr/bin/env bash
# Starts a test program of the Windows build under Wine for CTest and for
# test discovery (it is the build's CMAKE_CROSSCOMPILING_EMULATOR):
#   wine-test-launcher.sh RUNNER PROGRAM [ARGUMENTS...]     RUNNER is wine
#
# On a loaded machine Wine now and then fails to start a program at all: no
# output, a failing status, at most Wine's own start-up complaint. Such a
# start is tried once more, and the retry is said on standard error and, when
# VESPER_WINE_RETRY_LOG names a file, appended there. A program that started
# and failed (it printed something of its own) fails at once, as it would
# without this launcher. Standard output passes through unchanged (test
# discovery parses it); standard error follows once the program has ended.
#
# For the launcher's own tests, a start that Wine fails is simulated:
#   VESPER_WINE_FAIL_FIRST_START=TEXT   the first start whose arguments
#                                       contain TEXT fails without output
#   VESPER_WINE_FAIL_MARKER=FILE        made at that first start; while it
#                                       exists the start is not failed again
set -uo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 RUNNER PROGRAM [ARGUMENTS...]" >&2
  exit 2
fi
runner=$1
shift

work=$(mktemp -d "${TMPDIR:-/tmp}/wine-launch.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT

# The start the launcher's tests ask to fail, once.
simulated_start_failure() {
  local text=${VESPER_WINE_FAIL_FIRST_START:-} marker=${VESPER_WINE_FAIL_MARKER:-}
  [ -n "$text" ] && [ -n "$marker" ] || return 1
  [ -e "$marker" ] && return 1
  case " $* " in *"$text"*) ;; *) return 1 ;; esac
  : >"$marker"
}

# Runs the program once; its status is the function's.
start() {
  : >"$work/out"
  : >"$work/err"
  if simulated_start_failure "$@"; then return 1; fi
  "$runner" "$@" 2>"$work/err" | tee "$work/out"
  return "${PIPESTATUS[0]}"
}

# Whether Wine, not the program, failed: a failing status, nothing on
# standard output, and on standard error nothing or only Wine's own lines
# ("wine: could not load ...", "0024:err:module:...").
did_not_start() {
  local status=$1
  [ "$status" -ne 0 ] && [ ! -s "$work/out" ] || return 1
  ! grep -qvE '^(wine: |wine client error|wineserver: |[0-9a-f]{4}:(err|fixme|warn):)|^[[:space:]]*$' "$work/err"
}

# The program and its arguments (the test's --gtest_filter among them).
say_retry() {
  local line="wine-test-launcher: Wine did not start $* (status $status); starting it once more"
  echo "$line" >&2
  if [ -n "${VESPER_WINE_RETRY_LOG:-}" ]; then echo "$line" >>"$VESPER_WINE_RETRY_LOG"; fi
}

start "$@"
status=$?
if did_not_start "$status"; then
  cat "$work/err" >&2
  say_retry "$@"
  sleep 1
  start "$@"
  status=$?
fi
cat "$work/err" >&2
exit "$status"
