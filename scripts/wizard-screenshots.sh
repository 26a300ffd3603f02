#!/usr/bin/env bash
# Walks the wizard through its seven pages, its dialogs and windows (Test
# Connection's answer, Check's report, the log) on a virtual X display (Xvfb),
# against the embedded Oracle emulation, and writes a PNG of each into
# FOLDER (default: build/wizard-screenshots) for a person to look at. Not
# part of CI. QT_SCALE_FACTOR=2 in the environment draws everything twice as large.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/wizard-screenshots}"
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing: run scripts/install-deps.sh" >&2; exit 1; }
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target wizard_screenshots
mkdir -p "$out"
out="$(cd "$out" && pwd)"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/wizard/wizard_screenshots "$out"
ls -1 "$out"
