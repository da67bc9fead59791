#!/usr/bin/env bash
# Plants faults in small trees of their own and runs the source checks over them: each check
# must fail, naming the file, the line and the fault, and must pass the same tree once mended.
# Usage: planted-faults.sh SOURCE_DIR
set -uo pipefail
source_dir="$1"
scripts="$source_dir/scripts"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failures=0

# expect STATUS PATTERN COMMAND...: runs the command, checks its exit status and that its
# output holds the pattern (a fixed text).
expect() {
    local status="$1" pattern="$2"
    shift 2
    local out
    out=$("$@" 2>&1)
    local got=$?
    if [[ $got -ne $status ]] || ! grep -qF -- "$pattern" <<<"$out"; then
        echo "FAIL: $* exited $got (expected $status) with:"
        echo "$out"
        echo "--- expected to find: $pattern"
        failures=$((failures + 1))
    fi
}

plant() { mkdir -p "$tree/$(dirname "$1")" && printf '%s\n' "${@:2}" >"$tree/$1"; }

plant wizard/WizardState.h '#pragma once' '#include "engine/Report.h"'
plant dialog/Page.cpp '#include "wizard/WizardState.h"'
plant engine/Report.h '#pragma once' '#include "platform/automation/values/Variant.h"'
expect 0 "" bash "$scripts/check-includes.sh" "$tree"

plant dialog/Page.cpp '#include "wizard/WizardState.h"' '#include "component/Wizard.h"'
expect 1 "dialog/Page.cpp:2: includes component/Wizard.h from component/, a layer above dialog/" \
    bash "$scripts/check-includes.sh" "$tree"
plant dialog/Page.cpp '#include "library/HostedWizard.h"'
expect 1 "dialog/Page.cpp:1: includes library/HostedWizard.h from library/" \
    bash "$scripts/check-includes.sh" "$tree"
plant dialog/Page.cpp '#include "wizard/WizardState.h"'

plant engine/Report.h '#pragma once' '#include "platform/automation/Dispatch.h"'
expect 1 "engine/Report.h:2: includes platform/automation/Dispatch.h from platform/automation/" \
    bash "$scripts/check-includes.sh" "$tree"
plant engine/Report.h '#pragma once'

plant wizard/WizardState.h '#pragma once' '#  include <QString>'
expect 1 "wizard/WizardState.h:2: includes Qt (<QString>) below ui/qt/" \
    bash "$scripts/check-includes.sh" "$tree"
plant wizard/WizardState.h '#pragma once'

plant ui/qt/Window.cpp '#include "dialog/frmWizard.h"' '' '#include <QWidget>'
expect 0 "" bash "$scripts/check-includes.sh" "$tree"
plant ui/other/Thing.cpp '#include "ui/qt/Window.h"'
expect 1 "ui/other/Thing.cpp: is in no layer of the product" bash "$scripts/check-includes.sh" "$tree"
rm -r "$tree/ui/other"

cp "$source_dir/.clang-format" "$tree/"
plant generate/Builder.cpp 'int Width() {' '    return 240;' '}'
expect 0 "" bash "$scripts/check-format.sh" "$tree"
plant generate/Builder.cpp 'int Width() {  return 240; }'
expect 1 "generate/Builder.cpp:1:" bash "$scripts/check-format.sh" "$tree"

# long_function NAME BODY_LINES: a function whose body is that many statements.
long_function() {
    printf 'int %s(int x) {\n' "$1"
    for ((i = 0; i < $2; ++i)); do
        printf '    x += %d;\n' "$i"
    done
    printf '    auto twice = [](int y) {\n        return y * 2;\n    };\n'
    printf '    return twice(x);\n}\n'
}
mkdir -p "$tree/engine/run"
# 114 statements, a lambda of three lines and the return: 120 lines with the braces.
{ long_function Short 114; } >"$tree/engine/run/Runner.cpp"
expect 0 "" bash "$scripts/check-function-length.sh" "$tree"
{
    printf 'namespace foliant {\n\nclass Run {\npublic:\n'
    long_function Step 115 | sed 's/^/    /'
    printf '};\n\n} // namespace foliant\n'
} >"$tree/engine/run/Runner.cpp"
expect 1 "engine/run/Runner.cpp:5: Step is 121 lines long (at most 120)" \
    bash "$scripts/check-function-length.sh" "$tree"

if ((failures > 0)); then
    echo "$failures planted fault(s) went unreported"
    exit 1
fi
echo "every planted fault was reported"
