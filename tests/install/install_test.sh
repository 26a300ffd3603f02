#!/usr/bin/env bash
# cmake --install into a temporary prefix, then the installed programs alone:
# the agent finds its type mappings in share/vesper, loads the installed
# emulation and converts the samples; the manual is in share/doc/vesper.
#   install_test.sh BUILD-FOLDER SAMPLES-FOLDER
set -euo pipefail
build=$1
samples=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/vesper-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT

fail() { echo "FAILED: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix/usr" >/dev/null
for file in bin/vpxagent bin/ociemu lib/vesper/libociemu.so share/vesper/ora.map share/vesper/ora.typ \
            share/doc/vesper/index.html share/doc/vesper/command-line.html share/doc/vesper/troubleshooting.html; do
  [ -e "$prefix/usr/$file" ] || fail "$file is not installed"
done
[ ! -e "$prefix/usr/lib/libclntsh.so" ] || fail "the emulation must not stand in for the Oracle client on the loader's path"

# Nothing of the build folder may be reached: the programs move away from it.
export OCIEMU_HOME=$prefix/oracle XDG_CONFIG_HOME=$prefix/settings
export VESPER_OCI_LIB=$prefix/usr/lib/vesper/libociemu.so
unset VESPER_DATA_DIR
version=$("$prefix/usr/bin/vpxagent" --version)
grep -qx "Type mappings: $prefix/usr/bin/../share/vesper/ora.map" <<<"$version" || fail "type mappings not found: $version"
grep -q "Oracle client: $VESPER_OCI_LIB, release 19.0.0.0.0" <<<"$version" || fail "client not named: $version"

"$prefix/usr/bin/ociemu" create-service XE scott tiger >/dev/null
"$prefix/usr/bin/vpxagent" --src="$samples" --dest=XE --oraclu=scott --oraclp=tiger >"$prefix/out.txt" ||
  fail "the installed agent's run: $(cat "$prefix/out.txt")"
tables=$("$prefix/usr/bin/ociemu" tables XE scott tiger | tr '\n' ' ')
[ "$tables" = "CUSTOMER EMPLOYEE ORDERS ORDLINES PRODUCTS SUPPLIER " ] || fail "tables: $tables"
echo "installed into $prefix/usr and converted the samples"
