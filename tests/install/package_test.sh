#!/usr/bin/env bash
# cpack makes the .deb: its files are the installation under /usr, and its
# dependencies come from the programs' libraries (ICU, the C++ runtime),
# never from an Oracle client, which is loaded at run time. Debian's own
# checker, lintian, finds no error and no warning in it or in the debug
# symbols package beside it, and the package's stripped programs still
# convert the samples.
#   package_test.sh BUILD-FOLDER SAMPLES-FOLDER LINTIAN
set -euo pipefail
build=$1
samples=$2
lintian=$3
out=$(mktemp -d "${TMPDIR:-/tmp}/vesper-package-XXXXXX")
trap 'rm -rf "$out"' EXIT

fail() { echo "FAILED: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || fail "cpack: $(cat "$out/cpack.log")"
deb=$(ls "$out"/vesper_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no package made: $(cat "$out/cpack.log")"
ddeb=$(ls "$out"/vesper-dbgsym_*.ddeb 2>/dev/null | head -1)
[ -n "$ddeb" ] || fail "no debug symbols package made: $(cat "$out/cpack.log")"

files=$(dpkg-deb -c "$deb")
for file in ./usr/bin/vpxagent ./usr/bin/ociemu ./usr/lib/vesper/libociemu.so ./usr/share/vesper/ora.map \
            ./usr/share/doc/vesper/index.html ./usr/share/doc/vesper/copyright ./usr/share/doc/vesper/changelog.gz \
            ./usr/share/man/man1/vpxagent.1.gz ./usr/share/man/man1/ociemu.1.gz; do
  grep -q " $file\$" <<<"$files" || fail "$file is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q "libicu" <<<"$depends" || fail "ICU is no dependency: $depends"
grep -q "libstdc++" <<<"$depends" || fail "the C++ runtime is no dependency: $depends"
! grep -qi "oracle\|clntsh" <<<"$depends" || fail "an Oracle client became a dependency: $depends"

# Lintian's warnings count as failures; its notes (I:) do not.
command -v "$lintian" >/dev/null || fail "lintian is not installed (scripts/install-deps.sh installs it)"
"$lintian" --fail-on error,warning "$deb" "$ddeb" >"$out/lintian.txt" 2>&1 ||
  fail "lintian: $(grep -v 'running with root privileges' "$out/lintian.txt")"

# Every program and library is stripped and its debug symbols, found by
# build id, are in the debug package.
root=$out/root
dpkg-deb -x "$deb" "$root"
debug_files=$(dpkg-deb -c "$ddeb")
for elf in usr/bin/vpxagent usr/bin/ociemu usr/lib/vesper/libociemu.so; do
  id=$(readelf -n "$root/$elf" | sed -n 's/.*Build ID: \([0-9a-f]*\).*/\1/p')
  [ -n "$id" ] || fail "$elf has no build id"
  ! readelf -S "$root/$elf" | grep -q '\.debug_info' || fail "$elf keeps its debug information"
  grep -q "/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug\$" <<<"$debug_files" ||
    fail "the debug symbols of $elf (build id $id) are not in $(basename "$ddeb")"
done

# The agent's page carries every option of its usage text.
help=$("$root/usr/bin/vpxagent" --help 2>&1 || true)
page=$(gzip -dc "$root/usr/share/man/man1/vpxagent.1.gz")
for option in $(grep -o '^   --[a-z_0-9-]*' <<<"$help"); do
  grep -qF -- "${option//-/\\-}" <<<"$page" || fail "the agent's manual page lacks $option"
done

# The stripped programs as the package installs them convert the samples.
export OCIEMU_HOME=$out/oracle XDG_CONFIG_HOME=$out/settings
export VESPER_OCI_LIB=$root/usr/lib/vesper/libociemu.so
unset VESPER_DATA_DIR
"$root/usr/bin/ociemu" create-service XE scott tiger >/dev/null
"$root/usr/bin/vpxagent" --src="$samples" --dest=XE --oraclu=scott --oraclp=tiger >"$out/run.txt" 2>&1 ||
  fail "the packaged agent's run: $(cat "$out/run.txt")"
tables=$("$root/usr/bin/ociemu" tables XE scott tiger | tr '\n' ' ')
[ "$tables" = "CUSTOMER EMPLOYEE ORDERS ORDLINES PRODUCTS SUPPLIER " ] || fail "tables: $tables"
echo "$(basename "$deb") ($(stat -c %s "$deb") bytes): lintian clean; Depends: $depends"
