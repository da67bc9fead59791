#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset, clang) and runs each over its seed corpus.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
#   bash scripts/fuzz.sh --build [TARGET...]     only builds them
#
# Each target runs SECONDS (default 60) in a fresh working corpus seeded from fuzz/corpus/NAME,
# so the committed seeds are never changed. All targets run side by side, so the runs take
# SECONDS whatever the number of processors (FOLIANT_FUZZ_JOBS caps how many run at once).
# A finding stops with the fuzzer's report and the crashing input in build/fuzz/findings; the
# exit status is then non-zero. Extra options for libFuzzer can be given in FUZZ_OPTIONS (for a
# long run: FUZZ_OPTIONS="-runs=10000000").
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
build_only=false
[[ "$seconds" == --build ]] && build_only=true
targets=("$@")
if ((${#targets[@]} == 0)); then
    targets=(formula_fuzz report_file_fuzz registry_value_fuzz script_fuzz date_time_fuzz)
fi
jobs="${FOLIANT_FUZZ_JOBS:-${#targets[@]}}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"
if $build_only; then
    exit 0
fi

build=build/fuzz/fuzz
findings=build/fuzz/findings
mkdir -p "$findings"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Runs one target in its own working folder; its log goes to $scratch/NAME.log.
run_target() {
    local target="$1" name="${1%_fuzz}"
    local work="$scratch/$name"
    mkdir -p "$work/corpus" "$work/tmp"
    local options=(-max_total_time="$seconds" -artifact_prefix="$findings/$name-" -print_final_stats=1)
    [[ -f "fuzz/$name.dict" ]] && options+=(-dict="fuzz/$name.dict")
    # shellcheck disable=SC2086 # FUZZ_OPTIONS is a list of options
    TMPDIR="$work/tmp" "$build/$target" "${options[@]}" ${FUZZ_OPTIONS:-} "$work/corpus" \
        "fuzz/corpus/$name" >"$scratch/$name.log" 2>&1
}

# Reports one finished target: its figures, or the end of its log when it found something.
report_target() {
    local target="$1" status="$2" log="$scratch/${1%_fuzz}.log"
    if ((status != 0)); then
        echo "fuzz: $target failed" >&2
        tail -60 "$log" >&2
        return 1
    fi
    echo "fuzz: $target ran ${seconds}s" >&2
    grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$log" >&2 || true
}

declare -A running=()
failed=0
wait_for_one() {
    local pid status=0
    wait -n -p pid "${!running[@]}" || status=$?
    report_target "${running[$pid]}" "$status" || failed=1
    unset "running[$pid]"
}
for target in "${targets[@]}"; do
    ((${#running[@]} < jobs)) || wait_for_one
    echo "fuzz: $target for ${seconds}s" >&2
    run_target "$target" &
    running[$!]="$target"
done
while ((${#running[@]} > 0)); do wait_for_one; done
exit "$failed"
