#!/usr/bin/env bash
# Sets up the machine, builds Foliant with AddressSanitizer and UndefinedBehaviorSanitizer,
# warnings as errors, and runs every test; then runs each fuzz target for a minute over its
# seed corpus (FOLIANT_FUZZ_SECONDS changes the minute, 0 skips it).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset asan
cmake --build --preset asan

fuzz_seconds="${FOLIANT_FUZZ_SECONDS:-60}"
if [[ "$fuzz_seconds" != 0 ]]; then
    # The fuzz targets build at the lowest priority while the tests run, on the processor time
    # the tests leave idle, in a process group of their own that ends with this script. (Same
    # session: a new one would get its own scheduling group, where the low priority means
    # nothing.)
    mkdir -p build
    set -m
    nice -n 19 bash scripts/fuzz.sh --build >build/fuzz-build.log 2>&1 &
    fuzz_build=$!
    set +m
    trap 'kill -- -"$fuzz_build" 2>/dev/null || true' EXIT
fi
ctest --preset asan -j"$(nproc)" "$@"
if [[ "$fuzz_seconds" != 0 ]]; then
    wait "$fuzz_build" || { cat build/fuzz-build.log; echo "test-all: the fuzz build failed" >&2; exit 1; }
    bash scripts/fuzz.sh "$fuzz_seconds"
fi
