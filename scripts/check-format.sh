#!/usr/bin/env bash
# Checks that every C and C++ file of the source tree is formatted as .clang-format says.
# Prints clang-format's complaints and exits 1 when a file would change; `clang-format -i FILE`
# formats it.
#
# Usage: scripts/check-format.sh [SOURCE_DIR]
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"
command -v clang-format >/dev/null ||
    { echo "check-format: clang-format is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }

files=()
while IFS= read -r -d '' file; do
    files+=("$file")
done < <(find . -path ./build -prune -o -path './build-*' -prune -o -path ./.git -prune -o \
             -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cpp' \) -print0 |
         sort -z)
((${#files[@]} > 0)) || { echo "check-format: no C or C++ files under $root" >&2; exit 1; }
clang-format --dry-run --Werror "${files[@]}"
