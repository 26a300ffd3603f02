#!/usr/bin/env bash
# The differential test with as many seeds as asked: random tables of every
# kind, converted on both insert paths, every cell compared with what was
# written, every change required to be warned of with its place.
#   scripts/differential.sh SEEDS [FIRST_SEED] [BUILD_FOLDER]
# The build folder (build beside the scripts by default) must hold test_e2e.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seeds=${1:?give the number of seeds}
first=${2:-1}
build=${3:-$here/build}
VESPER_DIFFERENTIAL_SEEDS=$seeds VESPER_DIFFERENTIAL_FIRST_SEED=$first \
  "$build/tests/e2e/test_e2e" --gtest_filter='E2eDifferential.*'
