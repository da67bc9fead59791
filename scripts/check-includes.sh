#!/usr/bin/env bash
# Checks the layers of the product's code: every quoted #include names a file of the same layer
# or of a layer below, and nothing below ui/qt includes Qt. Tests, benchmarks, fuzz targets and
# tools may include anything and are not checked.
#
# Usage: scripts/check-includes.sh [SOURCE_DIR]
# Prints one line per violation (file:line: what is wrong) and exits 1 when there is any.
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"

# The layers, bottom first. A folder belongs to the longest entry that prefixes it; entries on
# one line share a layer. engine/ sits low: it reaches nothing outside itself but the
# automation value types below it.
layers=(
    "platform/automation/values"
    "samples"
    "engine/core"
    "engine/formula engine/page"
    "engine"
    "engine/run"
    "platform/winreg"
    "platform/shell platform/locale"
    "platform/help"
    "platform/automation"
    "platform/forms"
    "resources registry"
    "wizard"
    "generate"
    "design"
    "preview"
    "dialog"
    "component"
    "ui/qt"
    "script"
    "library"
    "examples"
    "apps"
)
qt_layer="ui/qt"
product=(engine samples platform resources registry wizard generate design preview dialog component ui
         script library examples apps)

ranks=""
for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do
        ranks+="$folder=$i "
    done
done

existing=()
for folder in "${product[@]}"; do
    [[ -d "$folder" ]] && existing+=("$folder")
done
((${#existing[@]} > 0)) || { echo "check-includes: no product folders under $root" >&2; exit 1; }

find "${existing[@]}" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cpp' \) \
    -print0 | sort -z | xargs -0 awk -v ranks="$ranks" -v qt="$qt_layer" '
    BEGIN {
        n = split(ranks, pairs, " ")
        for (i = 1; i <= n; i++) {
            split(pairs[i], kv, "=")
            rank[kv[1]] = kv[2] + 0
        }
        bad = 0
    }
    # The layer folder of a path: its longest prefix that is a layer, or "".
    function layer(path,    best, f) {
        best = ""
        for (f in rank) {
            if (index(path, f "/") == 1 && length(f) > length(best)) {
                best = f
            }
        }
        return best
    }
    FNR == 1 {
        here = layer(FILENAME)
        if (here == "") {
            printf "%s: is in no layer of the product\n", FILENAME
            bad = 1
        }
    }
    /^[ \t]*#[ \t]*include[ \t]*"/ {
        split($0, q, "\"")
        target = q[2]
        if (index(target, "/") == 0) {
            next # beside the including file
        }
        there = layer(target)
        if (there == "") {
            printf "%s:%d: includes %s, which is in no layer of the product\n", FILENAME, FNR, target
            bad = 1
        } else if (rank[there] > rank[here]) {
            printf "%s:%d: includes %s from %s/, a layer above %s/\n", FILENAME, FNR, target, there, here
            bad = 1
        }
    }
    /^[ \t]*#[ \t]*include[ \t]*<Q/ {
        if (rank[here] < rank[qt]) {
            split($0, a, "[<>]")
            printf "%s:%d: includes Qt (<%s>) below %s/\n", FILENAME, FNR, a[2], qt
            bad = 1
        }
    }
    END { exit bad }
' || exit 1
