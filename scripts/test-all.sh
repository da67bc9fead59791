#!/usr/bin/env bash
# Sets up the machine, builds Foliant with AddressSanitizer and UndefinedBehaviorSanitizer,
# warnings as errors, and runs every test; then runs each fuzz target for a minute over its
# seed corpus (FOLIANT_FUZZ_SECONDS changes the minute, 0 skips it).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset asan
cmake --build --preset asan
ctest --preset asan -j"$(nproc)" "$@"
if [[ "${FOLIANT_FUZZ_SECONDS:-60}" != 0 ]]; then
    bash scripts/fuzz.sh "${FOLIANT_FUZZ_SECONDS:-60}"
fi
