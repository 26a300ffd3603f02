#!/usr/bin/env bash
# Photographs every page and dialog of the Windows wizard under Wine on a
# virtual X display (Xvfb), at 96 and at 192 DPI (Wine's LogPixels), against
# the embedded Oracle emulation, for a person to look at. Not part of CI.
#   scripts/win-wizard-screenshots.sh [FOLDER]    default build-windows/win-wizard-screenshots
# Needs the Windows build (scripts/windows-build.sh, or its folder configured).
# Writes FOLDER/96/NN-name.png and FOLDER/192/NN-name.png.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build-windows
out=${1:-$build/win-wizard-screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
for tool in Xvfb import wine; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (packages xvfb, imagemagick, wine)" >&2; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || { echo "No Windows build in $build: run scripts/windows-build.sh first" >&2; exit 1; }
cmake --build "$build" -j2 --target win_wizard_screenshots ociemu_oci ociemu

work=$(mktemp -d "${TMPDIR:-/tmp}/win-wizard-shots.XXXXXX")
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A prefix of its own: the DPI changes here touch nothing else.
export WINEPREFIX=$build/screenshots-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n 1 "$work/display")

export VESPER_OCI_LIB=$build/bin/ociemu.dll VESPER_DATA_DIR=$here/data
# The server's modelled work on each row keeps the run going while its page is taken.
export OCIEMU_SERVER_ROW_US=50

# The program writes NAME.ready and waits for NAME.done: each picture is
# taken while the window it shows stands still.
photograph_run() {
  local dpi=$1 shots=$out/$1
  rm -rf "$shots" && mkdir -p "$shots"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true  # the next start reads the new DPI
  export OCIEMU_HOME=$work/oracle-$dpi
  mkdir -p "$OCIEMU_HOME"
  wine "$build/bin/ociemu.exe" create-service XE scott tiger >/dev/null
  # In a Wine desktop window: Wine draws the windows' frames and captions.
  wine explorer /desktop=vesper,1400x1000 "$build/bin/win_wizard_screenshots.exe" \
    "$(winepath -w "$shots")" "$(winepath -w "$here/samples")" \
    >"$work/run-$dpi.txt" 2>&1 &
  local program=$!
  while kill -0 "$program" 2>/dev/null; do
    for ready in "$shots"/*.ready; do
      [ -e "$ready" ] || continue
      local name
      name=$(basename "$ready" .ready)
      [ -e "$shots/$name.done" ] && continue
      sleep 0.3
      import -window root "$shots/$name.png"
      : >"$shots/$name.done"
    done
    sleep 0.1
  done
  # Wine's desktop window ends with status 0 even when the program failed inside it.
  if ! wait "$program" || [ ! -e "$shots/finished" ]; then
    cat "$work/run-$dpi.txt" >&2
    echo "The screenshot run at $dpi DPI failed after $(ls "$shots"/*.png 2>/dev/null | wc -l) pictures" >&2
    exit 1
  fi
  rm -f "$shots"/*.ready "$shots"/*.done "$shots/finished"
  # Cropped to what the windows cover.
  for picture in "$shots"/*.png; do convert "$picture" -trim +repage -trim +repage "$picture"; done
  echo "$dpi DPI: $(ls "$shots" | wc -l) pictures in $shots"
}

photograph_run 96
photograph_run 192
