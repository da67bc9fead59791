#!/usr/bin/env bash
# Sets up the machine, builds Foliant with AddressSanitizer and UndefinedBehaviorSanitizer,
# warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset asan
cmake --build --preset asan
ctest --preset asan -j"$(nproc)" "$@"
