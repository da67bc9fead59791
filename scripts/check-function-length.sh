#!/usr/bin/env bash
# Checks that no function of the product's code is longer than a reader takes in at once: at
# most 120 lines from the line that names it to its closing brace, lambdas inside it included.
# Tests, benchmarks, fuzz targets and tools are not checked. Universal Ctags finds the
# functions (scripts/bootstrap.sh installs it).
#
# Usage: scripts/check-function-length.sh [SOURCE_DIR]
# Prints one line per long function (file:line: name is N lines long) and exits 1 when there
# is any.
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"
limit=120

ctags=""
for candidate in ctags-universal universal-ctags ctags; do
    if command -v "$candidate" >/dev/null && "$candidate" --version 2>/dev/null | grep -q Universal
    then
        ctags="$candidate"
        break
    fi
done
[[ -n "$ctags" ]] ||
    { echo "check-function-length: Universal Ctags is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }

product=(engine samples platform resources registry wizard generate preview dialog component ui
         script library examples apps)
existing=()
for folder in "${product[@]}"; do
    [[ -d "$folder" ]] && existing+=("$folder")
done
((${#existing[@]} > 0)) || { echo "check-function-length: no product folders under $root" >&2; exit 1; }

# One line per function definition: file, first line, last line, name. Lambdas are named
# __anon... and are counted in the function that holds them.
tags=$(find "${existing[@]}" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cpp' \) \
    -print0 | sort -z | xargs -0 "$ctags" --languages=C,C++ --kinds-C=f \
    --kinds-C++=f --fields=+ne -o - -x --_xformat='%{input}	%{line}	%{end}	%N')

awk -F'\t' -v limit="$limit" '
    $4 ~ /^__anon/ { next }
    $3 == "" {
        printf "%s:%s: %s: its end was not found\n", $1, $2, $4
        bad = 1
        next
    }
    $3 - $2 + 1 > limit {
        printf "%s:%s: %s is %d lines long (at most %d)\n", $1, $2, $4, $3 - $2 + 1, limit
        bad = 1
    }
    END { exit bad }
' <<<"$tags"
