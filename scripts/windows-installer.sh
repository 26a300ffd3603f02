# shellcheck shell=bash disable=SC2154 # $here and $build come from the script sourcing this
# The Windows installer: makes vesper-<version>-setup.exe from the release
# folder with NSIS, and checks it under Wine as a user runs it. Sourced by
# scripts/windows-build.sh, whose $here, $build, release_folder,
# installer_file and dump_tables it uses, with its Wine prefix running.

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
  # shellcheck disable=SC2016 # $INSTDIR is NSIS's variable, written as it is
  if [ -z "$rel" ]; then printf '$INSTDIR'; else printf '$INSTDIR\\%s' "$(nsis_text "${rel//\//\\}")"; fi
}

# Makes the installer of a release folder (version $1, folder $2) as $3.
compile_installer() {
  local version=$1 stage_dir=$2 setup=$3 lists
  lists=$build/installer/$(basename "$setup" .exe)
  mkdir -p "$build/installer"
  installer_file_lists "$stage_dir" "$lists-files.nsh" "$lists-unfiles.nsh"
  makensis -V2 -DVERSION="$version" -DSTAGE="$stage_dir" -DFILES="$lists-files.nsh" \
           -DUNFILES="$lists-unfiles.nsh" -DSIZE_KB="$(du -sk "$stage_dir" | cut -f1)" \
           -DOUTFILE="$setup" "$here/scripts/windows-installer.nsi"
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
