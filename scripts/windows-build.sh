#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64, runs their tests under
# Wine, converts the samples under Wine and compares every value with the
# Linux build, and packs the release archive.
#   scripts/windows-build.sh     everything, in ./build-windows
# Makes build-windows/bin/{vpxagent.exe,ociemu.dll,ociemu.exe} and the tests,
# and build-windows/vesper-<version>-windows-x64.zip. The wizard is not part
# of it (no Qt for MinGW here).
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
  "$here/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 zip curl googletest nsis
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

# A private Wine prefix, and one wineserver for the whole run: without it
# every test program pays Wine's start-up again. Without winemenubuilder
# the installer's Start-menu entries stay in the prefix instead of becoming
# entries of this machine's desktop menus.
start_wine() {
  export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  mkdir -p "$WINEPREFIX"
  wineserver -p </dev/null >/dev/null 2>&1 &
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
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

# Writes the installer's File lines for every file of the release folder to
# $2, and the uninstaller's Delete and RMDir lines for the same files to $3:
# the uninstaller removes what was installed and nothing else.
installer_file_lists() {
  local stage_dir=$1 files=$2 unfiles=$3 rel dir bad
  bad=$(cd "$stage_dir" && find . -name '*"*' -o -name "*"$'\n'"*" -o -name "*"$'\r'"*")
  if [ -n "$bad" ]; then
    echo "These file names cannot go into the installer (a double quote or line break):" >&2
    echo "$bad" >&2
    exit 1
  fi
  : >"$files" && : >"$unfiles"
  while IFS= read -r dir; do
    echo "SetOutPath \"$(nsis_path "$dir")\"" >>"$files"
    while IFS= read -r rel; do
      echo "File \"$(nsis_text "$stage_dir/$rel")\"" >>"$files"
      echo "Delete \"$(nsis_path "$rel")\"" >>"$unfiles"
    done < <(cd "$stage_dir" && find "./$dir" -mindepth 1 -maxdepth 1 -type f | sed 's|^\./||' | LC_ALL=C sort)
  done < <(cd "$stage_dir" && find . -type d | sed 's|^\./\?||' | LC_ALL=C sort)
  # Folders deepest first; RMDir leaves one the user put a file into.
  while IFS= read -r dir; do
    echo "RMDir \"$(nsis_path "$dir")\"" >>"$unfiles"
  done < <(cd "$stage_dir" && find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort -r)
}

# A string between double quotes in an NSIS script, where "$" starts a
# variable (installer_file_lists refuses the names this cannot write).
nsis_text() {
  printf '%s' "${1//\$/\$\$}"
}

# The installed place of a path relative to the release folder.
nsis_path() {
  local rel=$1
  if [ -z "$rel" ]; then printf '$INSTDIR'; else printf '$INSTDIR\\%s' "$(nsis_text "${rel//\//\\}")"; fi
}

# vesper-<version>-setup.exe from the folder make_zip packed.
make_installer() {
  local stage_dir setup
  stage_dir=$(release_folder)
  setup=$(installer_file)
  rm -rf "$setup"
  compile_installer "$(release_version)" "$stage_dir" "$setup"
  echo "Installer: $setup ($(stat -c %s "$setup") bytes)"
}

# Where the installer puts things in the Wine prefix.
installed_folder() {
  echo "$WINEPREFIX/drive_c/Program Files/Vesper"
}

installed_menu() {
  echo "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vesper"
}

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vesper'
settings_key='HKCU\Software\Tolvane\Vesper'

# Every file and folder of ours in the prefix, and the uninstall key while
# it is there: nothing once the uninstaller has run.
installed_leftovers() {
  find "$(installed_folder)" "$(installed_menu)" 2>/dev/null || true
  if wine reg query "$uninstall_key" >/dev/null 2>&1; then echo "$uninstall_key"; fi
}

fail_installer_check() {
  echo "Installer check: $1" >&2
  exit 1
}

# Runs the installed uninstaller silently and waits for it. Started from
# the installation it copies itself elsewhere, starts the copy and returns
# at once; this does the same itself: the copy gets the folder with _?=,
# which NSIS wants last and unquoted, so a batch file passes it as written.
# $1 is the installed folder as Windows names it, $2 as Linux does.
run_uninstaller() {
  local temp=$WINEPREFIX/drive_c/vesper-uninstall
  rm -rf "$temp" && mkdir -p "$temp"
  cp "$2/uninstall.exe" "$temp/uninstall.exe"
  printf '@"C:\\vesper-uninstall\\uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$1" >"$temp/uninstall.bat"
  local status=0
  wine cmd /c 'C:\vesper-uninstall\uninstall.bat' </dev/null || status=$?
  rm -rf "$temp"
  [ "$status" -eq 0 ] || fail_installer_check "the uninstaller failed with status $status"
}

# Makes the installer of a release folder (version $1, folder $2) as $3.
compile_installer() {
  local version=$1 stage_dir=$2 setup=$3 lists=$build/installer/$(basename "$3" .exe)
  mkdir -p "$build/installer"
  installer_file_lists "$stage_dir" "$lists-files.nsh" "$lists-unfiles.nsh"
  makensis -V2 -DVERSION="$version" -DSTAGE="$stage_dir" -DFILES="$lists-files.nsh" \
           -DUNFILES="$lists-unfiles.nsh" -DSIZE_KB="$(du -sk "$stage_dir" | cut -f1)" \
           -DOUTFILE="$setup" "$here/scripts/windows-installer.nsi"
}

# An older release with one file the current one no longer has.
make_older_installer() {
  local work=$1 older=$1/older-release
  mkdir -p "$older" && echo "a file only an older release had" >"$older/obsolete.txt"
  compile_installer 0.0 "$older" "$work/older-setup.exe" >/dev/null
}

# An uninstall.exe of another program in the folder chosen with /D= is
# not run: here it is the older release's installer, which would install
# itself into Program Files. The release goes into the chosen folder, a
# second install without /D= goes there too, and the uninstaller removes it
# from there.
check_foreign_uninstaller() {
  local work=$1 other=$WINEPREFIX/drive_c/vesper-other
  rm -rf "$other" && mkdir -p "$other"
  cp "$work/older-setup.exe" "$other/uninstall.exe"
  wine "$(installer_file)" /S '/D=C:\vesper-other' </dev/null || fail_installer_check "the install into C:\vesper-other failed"
  [ -f "$other/vpxagent.exe" ] || fail_installer_check "the install did not go into the folder given with /D="
  [ ! -e "$(installed_folder)" ] || fail_installer_check "the installer ran the uninstall.exe found in the chosen folder"
  wine "$(installer_file)" /S </dev/null || fail_installer_check "the second install failed"
  [ ! -e "$(installed_folder)" ] || fail_installer_check "a second install went into Program Files, not where the first is"
  run_uninstaller 'C:\vesper-other' "$other"
  [ ! -e "$other" ] || fail_installer_check "the uninstaller left C:\vesper-other behind"
  [ -z "$(installed_leftovers)" ] || fail_installer_check "the uninstaller left the uninstall key"
}

# Installing the current release over the older one must remove its file.
install_older_release() {
  local work=$1
  wine "$work/older-setup.exe" /S </dev/null || fail_installer_check "the older release's install failed"
  [ -f "$(installed_folder)/obsolete.txt" ] || fail_installer_check "the older release was not installed"
}

# A silent install over the older release: every file of the release, the
# uninstaller, the Start-menu entries and the uninstall key.
check_install() {
  local folder menu link links=("Vesper Manual.lnk" "Uninstall Vesper.lnk")
  folder=$(installed_folder)
  menu=$(installed_menu)
  wine "$(installer_file)" /S </dev/null || fail_installer_check "the silent install failed with status $?"
  [ ! -e "$folder/obsolete.txt" ] || fail_installer_check "the older release's file was left behind"
  diff -r --exclude=uninstall.exe "$(release_folder)" "$folder" >&2 ||
    fail_installer_check "the installed files differ from the release's (above)"
  [ -f "$folder/uninstall.exe" ] || fail_installer_check "no uninstaller was installed"
  if [ -f "$(release_folder)/vesper.exe" ]; then links+=("Vesper.lnk"); fi
  for link in "${links[@]}"; do
    [ -f "$menu/$link" ] || fail_installer_check "no Start-menu entry $link"
  done
  wine reg query "$uninstall_key" /v UninstallString 2>/dev/null | tr -d '\r' |
    grep -qF 'C:\Program Files\Vesper\uninstall.exe' || fail_installer_check "the uninstaller is not registered"
}

# The installed agent converts the installed samples into the installed
# emulation: the same values as the Linux build.
check_installed_agent() {
  local work=$1/agent folder
  folder=$(installed_folder)
  mkdir -p "$work"
  export OCIEMU_HOME=$work/home VESPER_OCI_LIB='C:\Program Files\Vesper\ociemu.dll'
  wine "$folder/ociemu.exe" create-service XE scott tiger >/dev/null
  (cd "$work" && wine "$folder/vpxagent.exe" --dest=XE --oraclu=scott --oraclp=tiger \
                      --src='C:\Program Files\Vesper\samples' >"$work/run.txt") ||
    fail_installer_check "the installed agent failed on the installed samples ($work/run.txt)"
  dump_tables wine "$folder/ociemu.exe" >"$work/tables.txt"
  unset OCIEMU_HOME VESPER_OCI_LIB
  diff -u "$build/samples-compare/linux/tables.txt" "$work/tables.txt" >&2 ||
    fail_installer_check "the installed agent's tables differ from the Linux conversion (above)"
}

# A silent uninstall leaves nothing of ours and keeps the user's settings.
check_uninstall() {
  run_uninstaller 'C:\Program Files\Vesper' "$(installed_folder)"
  local left
  left=$(installed_leftovers)
  [ -z "$left" ] || fail_installer_check "the uninstaller left these behind:"$'\n'"$left"
  wine reg query "$settings_key" /v InstallerCheck 2>/dev/null | grep -q kept ||
    fail_installer_check "the uninstaller removed the user's settings"
}

# The installer under Wine as a user runs it, from a prefix without any
# installation but with the user's settings.
check_installer() {
  local work=$build/installer-check
  rm -rf "$work" "$(installed_folder)" "$(installed_menu)" && mkdir -p "$work"
  wine reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
  wine reg add "$settings_key" /v InstallerCheck /d kept /f >/dev/null
  make_older_installer "$work"
  check_foreign_uninstaller "$work"
  install_older_release "$work"
  check_install
  check_installed_agent "$work"
  check_uninstall
  wine reg delete "$settings_key" /v InstallerCheck /f >/dev/null
  echo "Installer: installed $(find "$(release_folder)" -type f | wc -l) files over an older release, converted the samples, uninstalled without a trace"
}

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
