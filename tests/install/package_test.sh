#!/usr/bin/env bash
# cpack makes the .deb: its files are the installation under /usr, and its
# dependencies come from the programs' libraries (ICU, the C++ runtime),
# never from an Oracle client, which is loaded at run time.
#   package_test.sh BUILD-FOLDER
set -euo pipefail
build=$1
out=$(mktemp -d "${TMPDIR:-/tmp}/vesper-package-XXXXXX")
trap 'rm -rf "$out"' EXIT

fail() { echo "FAILED: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || fail "cpack: $(cat "$out/cpack.log")"
deb=$(ls "$out"/vesper_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no package made: $(cat "$out/cpack.log")"
files=$(dpkg-deb -c "$deb")
for file in ./usr/bin/vpxagent ./usr/bin/ociemu ./usr/lib/vesper/libociemu.so ./usr/share/vesper/ora.map \
            ./usr/share/doc/vesper/index.html; do
  grep -q " $file\$" <<<"$files" || fail "$file is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -q "libicu" <<<"$depends" || fail "ICU is no dependency: $depends"
grep -q "libstdc++" <<<"$depends" || fail "the C++ runtime is no dependency: $depends"
! grep -qi "oracle\|clntsh" <<<"$depends" || fail "an Oracle client became a dependency: $depends"
echo "$(basename "$deb"): Depends: $depends"
