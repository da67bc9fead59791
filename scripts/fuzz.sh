#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset, clang) and runs each over its seed corpus.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
#
# Each target runs SECONDS (default 60) in a fresh working corpus seeded from fuzz/corpus/NAME,
# so the committed seeds are never changed. A finding stops with the fuzzer's report and the
# crashing input in build/fuzz/findings; the exit status is then non-zero. Extra options for
# libFuzzer can be given in FUZZ_OPTIONS (for a long run: FUZZ_OPTIONS="-runs=10000000").
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
    targets=(formula_fuzz report_file_fuzz registry_value_fuzz script_fuzz date_time_fuzz)
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

build=build/fuzz/fuzz
findings=build/fuzz/findings
mkdir -p "$findings"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

for target in "${targets[@]}"; do
    name="${target%_fuzz}"
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    options=(-max_total_time="$seconds" -artifact_prefix="$findings/$name-" -print_final_stats=1)
    [[ -f "fuzz/$name.dict" ]] && options+=(-dict="fuzz/$name.dict")
    echo "fuzz: $target for ${seconds}s" >&2
    # shellcheck disable=SC2086 # FUZZ_OPTIONS is a list of options
    mkdir -p "$work/corpus" "$work/tmp"
    TMPDIR="$work/tmp" "$build/$target" "${options[@]}" ${FUZZ_OPTIONS:-} "$work/corpus" \
        "fuzz/corpus/$name" 2>"$work.log" || {
        tail -60 "$work.log" >&2
        exit 1
    }
    grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$work.log" >&2 || true
    rm -rf "$work" "$work.log"
    trap - EXIT
done
