#!/usr/bin/env bash
# Kills saves without warning a thousand times (more than the 50 of the test suite) and
# prints the figures: every time the file must be the old or the new one whole, and the next
# save must leave no temporary file behind.
#
#   bash scripts/soak-saves.sh [TRIALS] [PRESET]      (defaults: 1000, dev)
set -euo pipefail
cd "$(dirname "$0")/.."

trials="${1:-1000}"
preset="${2:-dev}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target engine_tests
FOLIANT_SAVE_KILL_TRIALS="$trials" "build/$preset/tests/engine/engine_tests" \
    --gtest_filter='SaveKilled.TheFileIsOldOrNewWhole*'
