#!/usr/bin/env bash
# The man page and the bash completion written at build time cover the program as built: every
# subcommand its --help lists has a section in the man page and completes, its options
# complete, the man page renders without a warning and documents the exit status 0, 1 and 2.
#
#   command-line-docs.sh PROGRAM MAN_PAGE.gz COMPLETION
set -euo pipefail
program=$1 man_page=$2 completion=$3
fail() { echo "FAILED: $*" >&2; exit 1; }
export LC_ALL=C.UTF-8 ASAN_OPTIONS=detect_leaks=0

rendered=$(MANWIDTH=100 man --warnings -l "$man_page" 2>&1 >/dev/null) || fail "man: $rendered"
[[ -z "$rendered" ]] || fail "the man page renders with warnings: $rendered"
text=$(MANWIDTH=100 man -l "$man_page" 2>/dev/null)
exit_status=$(awk '/^EXIT STATUS/ { on = 1; next } /^[A-Z]/ { on = 0 } on' <<<"$text")
for code in 0 1 2; do
    grep -qw "$code" <<<"$exit_status" || fail "EXIT STATUS does not say what $code means"
done

# What bash offers after the words given.
complete_words() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _foliant
             printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$@"
}
mapfile -t commands < <("$program" --help | awk '/^Subcommands:/ { on = 1; next } /^$/ { on = 0 }
                                                on && /^  [a-z]/ { print $1 }')
((${#commands[@]} >= 5)) || fail "$program --help lists ${#commands[@]} subcommands"
offered=$(complete_words foliant "")
for command in "${commands[@]}"; do
    zgrep -q "^\.SS \"foliant $command\"" "$man_page" || fail "no man page section for $command"
    grep -qx "$command" <<<"$offered" || fail "completion does not offer $command"
done
[[ $(complete_words foliant --v) == --version ]] || fail "completion of --v"
[[ $(complete_words foliant export --p | sort | tr '\n' ' ') == "--pdf --png " ]] ||
    fail "completion of export --p: $(complete_words foliant export --p)"
[[ $(complete_words foliant demo --out x --s) == --style ]] || fail "completion of demo --s"
[[ -z $(complete_words foliant export re) ]] || fail "a file name was completed as an option"
echo "command line docs: ok"
