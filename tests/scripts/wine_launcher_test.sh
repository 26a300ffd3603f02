#!/usr/bin/env bash
# The Windows build's test launcher: a start Wine fails is retried once, a
# test that ran and failed is not, and what the program prints passes through
# unchanged. A stand-in for wine runs the stand-in test program natively.
#   wine_launcher_test.sh LAUNCHER
set -uo pipefail
launcher=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/wine-launcher-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# The stand-in runner: fails its first start without output as Wine does
# under load when FAKE_WINE_BROKEN_START names a marker file not yet made
# (printing FAKE_WINE_COMPLAINT, if set, as Wine's start-up error).
cat >"$work/wine" <<'EOF'
#!/usr/bin/env bash
if [ -n "${FAKE_WINE_BROKEN_START:-}" ] && [ ! -e "$FAKE_WINE_BROKEN_START" ]; then
  : >"$FAKE_WINE_BROKEN_START"
  [ -n "${FAKE_WINE_COMPLAINT:-}" ] && echo "$FAKE_WINE_COMPLAINT" >&2
  exit 53
fi
exec "$@"
EOF
# The stand-in test program: counts its starts, prints a gtest-like list or
# result, and fails when asked to.
cat >"$work/test.exe" <<'EOF'
#!/usr/bin/env bash
echo start >>"$COUNT_FILE"
if [ "${1:-}" = --gtest_list_tests ]; then
  printf 'Suite.\n  First\n  Second\n'
  exit 0
fi
echo "[ RUN      ] $1"
echo "a line on standard error" >&2
if [ -n "${TEST_FAILS:-}" ]; then echo "[  FAILED  ] $1"; exit 1; fi
echo "[       OK ] $1"
EOF
chmod +x "$work/wine" "$work/test.exe"

# Runs the launcher; sets status, out, err and starts (how often the test program ran).
run() {
  rm -f "$work/count" "$work/out" "$work/err"
  COUNT_FILE=$work/count "$launcher" "$work/wine" "$work/test.exe" "$@" >"$work/out" 2>"$work/err"
  status=$?
  starts=$( [ -f "$work/count" ] && wc -l <"$work/count" || echo 0)
  starts=$((starts))
}

# A start Wine fails (simulated by the launcher) is tried once more and said.
export VESPER_WINE_RETRY_LOG=$work/retries.log
VESPER_WINE_FAIL_FIRST_START=--gtest_filter=Suite.Second VESPER_WINE_FAIL_MARKER=$work/marker1 \
  run --gtest_filter=Suite.Second
[ "$status" -eq 0 ] || fail "a simulated failed start did not pass on the retry (status $status)"
[ "$starts" -eq 1 ] || fail "the program should have run once after the failed start, ran $starts times"
grep -q 'Wine did not start .*--gtest_filter=Suite.Second.*starting it once more' "$work/err" ||
  fail "the retry is not said on standard error: $(cat "$work/err")"
grep -qs Suite.Second "$VESPER_WINE_RETRY_LOG" || fail "the retry is not in the retry log"
grep -qx '\[       OK \] --gtest_filter=Suite.Second' "$work/out" || fail "the retried test's output is missing"

# The simulation fails only the chosen test, and only its first start.
VESPER_WINE_FAIL_FIRST_START=--gtest_filter=Suite.Second VESPER_WINE_FAIL_MARKER=$work/marker1 \
  run --gtest_filter=Suite.Second
[ "$status" -eq 0 ] && [ "$starts" -eq 1 ] && ! grep -q 'did not start' "$work/err" ||
  fail "a second start of the chosen test was failed again or retried"
VESPER_WINE_FAIL_FIRST_START=--gtest_filter=Suite.Second VESPER_WINE_FAIL_MARKER=$work/marker2 \
  run --gtest_filter=Suite.First
[ "$status" -eq 0 ] && [ ! -e "$work/marker2" ] || fail "a test that was not chosen had its start failed"

# Wine's own start failure, silent or with its start-up complaint, is retried.
FAKE_WINE_BROKEN_START=$work/broken1 run --gtest_filter=Suite.First
[ "$status" -eq 0 ] && [ "$starts" -eq 1 ] || fail "a silent failed start of Wine was not retried (status $status)"
FAKE_WINE_BROKEN_START=$work/broken2 FAKE_WINE_COMPLAINT="wine: could not load kernel32.dll, status c0000135" \
  run --gtest_filter=Suite.First
[ "$status" -eq 0 ] && [ "$starts" -eq 1 ] || fail "Wine's start-up complaint was not taken for a failed start"
grep -q 'could not load kernel32.dll' "$work/err" || fail "Wine's start-up complaint is not passed on"

# A test that ran and failed fails at once, with its own status and output.
TEST_FAILS=1 run --gtest_filter=Suite.First
[ "$status" -eq 1 ] || fail "a failing test should give status 1, gave $status"
[ "$starts" -eq 1 ] || fail "a failing test was started $starts times"
! grep -q 'did not start' "$work/err" || fail "a failing test was taken for a failed start"
grep -q 'FAILED' "$work/out" || fail "a failing test's output is missing"

# A start that fails twice fails the test with Wine's status.
FAKE_WINE_BROKEN_START=$work/broken3 VESPER_WINE_FAIL_FIRST_START=Suite.First VESPER_WINE_FAIL_MARKER=$work/marker3 \
  run --gtest_filter=Suite.First
[ "$status" -eq 53 ] && [ "$starts" -eq 0 ] || fail "two failed starts should fail with Wine's status 53 (status $status, $starts starts)"

# Test discovery reads standard output: it passes through byte for byte,
# with standard error kept apart.
run --gtest_list_tests
printf 'Suite.\n  First\n  Second\n' | cmp -s - "$work/out" || fail "the test list changed on its way through the launcher"

# Standard error of a program that ran is passed on.
run --gtest_filter=Suite.First
grep -qx 'a line on standard error' "$work/err" || fail "the program's standard error is lost"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "wine launcher: all checks passed"
