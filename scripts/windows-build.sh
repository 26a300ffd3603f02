#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64, runs their tests under
# Wine, converts the samples under Wine and compares every value with the
# Linux build, and packs the release archive.
#   scripts/windows-build.sh     everything, in ./build-windows
# Makes build-windows/bin/{vpxagent.exe,ociemu.dll,ociemu.exe} and the tests,
# build-windows/vesper-<version>-windows-x64.zip and the installer
# build-windows/vesper-<version>-setup.exe, which it installs, uses and
# uninstalls under Wine. The wizard is build-windows/bin/vesper.exe, the
# native Win32 one; its tests show real windows on a virtual X display
# (Xvfb), started here unless DISPLAY names a working one.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build-windows

# SQLite for the emulation: the amalgamation inside the npm package
# better-sqlite3 (deps/sqlite3), pinned by version and hash.
sqlite_package_version=12.11.1   # SQLite 3.53.2
sqlite_package_sha256=ebf0ed75a7a59dbcb3b24bbd014ef49d9f15bc328e4adcbf516f2a8fadfa2835
sqlite_package_url=https://registry.npmjs.org/better-sqlite3/-/better-sqlite3-$sqlite_package_version.tgz

stage() { echo "== $1 (at ${SECONDS}s)"; }

install_packages() {
  # googletest: the sources in /usr/src/googletest; nsis makes the
  # installer; the rest cross-compiles and runs the result. The Linux build's
  # packages come too: the samples are compared with the Linux agent.
  "$here/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 zip curl googletest nsis \
    xvfb x11-utils
}

# Prints the folder holding sqlite3.c and sqlite3.h.
fetch_sqlite() {
  local deps=$build/deps
  local archive=$deps/better-sqlite3-$sqlite_package_version.tgz
  local folder=$deps/sqlite-$sqlite_package_version
  mkdir -p "$deps"
  if [ ! -f "$folder/sqlite3.c" ]; then
    if [ ! -f "$archive" ]; then
      curl -sSfL --retry 3 -o "$archive.part" "$sqlite_package_url"
      mv "$archive.part" "$archive"
    fi
    if ! echo "$sqlite_package_sha256  $archive" | sha256sum -c --quiet - >&2; then
      rm -f "$archive"
      echo "The SQLite package $sqlite_package_url does not have the expected hash; nothing was built." >&2
      exit 1
    fi
    rm -rf "$folder.part" && mkdir -p "$folder.part"
    tar -xzf "$archive" -C "$folder.part" --strip-components=3 \
        package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
    rm -rf "$folder" && mv "$folder.part" "$folder"
  fi
  echo "$folder"
}

# The wizard's tests open its windows: a display for every Wine program of
# the run, started before the first of them. Xvfb picks a free display
# number itself (-displayfd).
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local number_file=$build/xvfb-display
  rm -f "$number_file"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  local waited=0
  while [ ! -s "$number_file" ] && [ "$waited" -lt 100 ]; do sleep 0.1; waited=$((waited + 1)); done
  if [ ! -s "$number_file" ]; then
    echo "Xvfb did not start: the wizard's tests need a display." >&2
    exit 1
  fi
  export DISPLAY=:$(head -n 1 "$number_file")
}
xvfb_pid=

# A private Wine prefix, and one wineserver for the whole run: without it
# every test program pays Wine's start-up again. Without winemenubuilder
# the installer's Start-menu entries stay in the prefix instead of becoming
# entries of this machine's desktop menus.
start_wine() {
  export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1 &
  trap 'wineserver -k >/dev/null 2>&1 || true; if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi' EXIT
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true   # creates the prefix the first time
}

# Every table's rows as the emulation's admin tool prints them.
dump_tables() {
  local tool=("$@")
  local table
  for table in $("${tool[@]}" tables XE scott tiger | tr -d '\r'); do
    echo "== $table"
    "${tool[@]}" sql XE scott tiger "SELECT * FROM \"$table\" ORDER BY 1" | tr -d '\r'
  done
}

# The samples converted by the Windows agent under Wine and by the Linux
# agent, each into a new emulation home: every value must be the same.
compare_samples() {
  local linux=$here/build
  if [ ! -x "$linux/apps/vpxagent/vpxagent" ] || [ ! -x "$linux/ociemu/ociemu" ]; then
    VESPER_TARGETS="vpxagent ociemu_oci ociemu" "$here/scripts/build.sh" "$linux"
  fi
  local work=$build/samples-compare
  rm -rf "$work" && mkdir -p "$work/linux" "$work/windows"

  OCIEMU_HOME=$work/linux/home "$linux/ociemu/ociemu" create-service XE scott tiger >/dev/null
  OCIEMU_HOME=$work/linux/home VESPER_OCI_LIB=$linux/ociemu/libociemu.so XDG_CONFIG_HOME=$work/linux \
    "$linux/apps/vpxagent/vpxagent" --dest=XE --oraclu=scott --oraclp=tiger --src="$here/samples" \
    >"$work/linux/run.txt"
  OCIEMU_HOME=$work/linux/home dump_tables "$linux/ociemu/ociemu" >"$work/linux/tables.txt"

  export OCIEMU_HOME=$work/windows/home VESPER_OCI_LIB=$build/bin/ociemu.dll
  wine "$build/bin/ociemu.exe" create-service XE scott tiger >/dev/null
  wine "$build/bin/vpxagent.exe" --dest=XE --oraclu=scott --oraclp=tiger --src="$here/samples" \
    >"$work/windows/run.txt"
  dump_tables wine "$build/bin/ociemu.exe" >"$work/windows/tables.txt"
  unset OCIEMU_HOME VESPER_OCI_LIB

  if ! diff -u "$work/linux/tables.txt" "$work/windows/tables.txt"; then
    echo "The samples converted under Wine differ from the Linux conversion (above)." >&2
    exit 1
  fi
  echo "Samples: $(grep -c '^== ' "$work/linux/tables.txt") tables, $(wc -l <"$work/linux/tables.txt") lines, the same on both"
}

# The test programs Wine failed to start the first time (they ran on the
# second start; the launcher wrote them down).
report_retries() {
  if [ -s "$VESPER_WINE_RETRY_LOG" ]; then
    echo "Wine failed the first start of $(wc -l <"$VESPER_WINE_RETRY_LOG") test program(s); each was started once more:"
    cat "$VESPER_WINE_RETRY_LOG"
  fi
}

# The launcher under real Wine and CTest: a test whose first start fails
# passes on the second, and a program that ran and failed is not started again.
check_launcher() {
  local marker=$build/launcher-check.marker test=TkFormat.NumbersFollowPrintfIncludingMicrosoftLengths
  rm -f "$marker"
  if ! (cd "$build" && VESPER_WINE_RETRY_LOG=$build/launcher-check.log VESPER_WINE_FAIL_FIRST_START="$test" \
          VESPER_WINE_FAIL_MARKER="$marker" ctest -R "^$test\$" --output-on-failure >"$build/launcher-check.txt"); then
    cat "$build/launcher-check.txt"
    echo "A test whose first start under Wine failed did not pass on the second start." >&2
    exit 1
  fi
  if [ ! -e "$marker" ] || ! grep -q "$test" "$build/launcher-check.log"; then
    echo "The launcher's simulated failed start of $test did not happen; the retry is untested." >&2
    exit 1
  fi
  local status=0
  E2E_ECHO_STATUS=3 "$here/scripts/wine-test-launcher.sh" wine "$build/bin/e2e_echo_args.exe" ran \
    >"$build/launcher-check.txt" 2>&1 </dev/null || status=$?
  if [ "$status" -ne 3 ] || grep -q "did not start" "$build/launcher-check.txt"; then
    cat "$build/launcher-check.txt"
    echo "A program that ran and failed under the launcher gave status $status (3 expected) or was started again." >&2
    exit 1
  fi
  echo "Launcher: a failed first start passed on the second; a failing program failed at once"
}

release_version() {
  sed -n 's/^project(Vesper VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt"
}

# The release's files as the archive and the installer hold them.
release_folder() {
  echo "$build/package/vesper-$(release_version)-windows-x64"
}

installer_file() {
  echo "$build/vesper-$(release_version)-setup.exe"
}

make_zip() {
  local name stage_dir
  stage_dir=$(release_folder)
  name=$(basename "$stage_dir")
  rm -rf "$build/package" "$build/$name.zip" && mkdir -p "$stage_dir"
  cp "$build/bin/vpxagent.exe" "$build/bin/ociemu.dll" "$build/bin/ociemu.exe" \
     "$here/data/ora.map" "$here/data/ora.typ" "$here/README.md" "$stage_dir/"
  cp -r "$here/data/help" "$stage_dir/help"
  cp -r "$here/samples" "$stage_dir/samples"
  # The wizard joins here: once the build makes vesper.exe it goes into the
  # archive, and the installer installs it with a Start-menu entry.
  if [ -f "$build/bin/vesper.exe" ]; then cp "$build/bin/vesper.exe" "$stage_dir/"; fi
  # The debug information stays in build-windows/bin.
  x86_64-w64-mingw32-strip "$stage_dir"/*.exe "$stage_dir"/*.dll
  (cd "$build/package" && zip -q -r -9 "$build/$name.zip" "$name")
  echo "Archive: $build/$name.zip ($(stat -c %s "$build/$name.zip") bytes)"
}

# make_installer and check_installer.
. "$here/scripts/windows-installer.sh"

stage "Installing what is missing"
install_packages
stage "Fetching SQLite"
sqlite_folder=$(fetch_sqlite)
stage "Configuring"
# Test programs start through the launcher, which starts one again when Wine
# failed to start it; a folder configured before it existed gets it too.
launcher="$here/scripts/wine-test-launcher.sh;wine"
if [ ! -f "$build/CMakeCache.txt" ] ||
   ! grep -q "^CMAKE_CROSSCOMPILING_EMULATOR:[A-Z]*=$launcher\$" "$build/CMakeCache.txt"; then
  cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESPER_BENCH=OFF -DVESPER_TESTS=ON \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$launcher" -DVESPER_SQLITE_AMALGAMATION="$sqlite_folder"
fi
# Test discovery starts every test program under Wine while building.
start_display
start_wine
export VESPER_WINE_RETRY_LOG=$build/wine-retries.log
rm -f "$VESPER_WINE_RETRY_LOG"
stage "Building"
cmake --build "$build" -j"$(nproc)"
stage "Testing under Wine"
# The samples comparison and the archive are made even when a test fails:
# the script's status is the tests' at the end.
tests_status=0
(cd "$build" && ctest --output-on-failure -j"$(nproc)") || tests_status=$?
report_retries
stage "Checking the launcher under Wine"
check_launcher
stage "Comparing the samples with the Linux build"
compare_samples
stage "Packing"
make_zip
make_installer
stage "Checking the installer under Wine"
check_installer
if [ "$tests_status" -ne 0 ]; then
  echo "Tests under Wine failed: build-windows/Testing/Temporary/LastTestsFailed.log lists them" >&2
  exit "$tests_status"
fi
stage "Done"
