#!/usr/bin/env bash
# Writes a program's man page and its bash completion from the program's own --help, at build
# time, so neither can drift from the command line that was built.
#
#   command-line-docs.sh PROGRAM TEMPLATE MAN_OUT COMPLETION_OUT
#
# TEMPLATE is the man page around the generated parts: @VERSION@ (from --version), @OPTIONS@
# (the program's own options), @COMMANDS@ (one section per subcommand, its whole help) and
# @EXIT_STATUS@ (the help's "Exit status:" footer).
set -euo pipefail
program=$1 template=$2 man=$3 completion=$4
name=$(basename "$program")
export LC_ALL=C.UTF-8 ASAN_OPTIONS=detect_leaks=0

help_of() { "$program" "$@" --help; }
top=$(help_of)

# The subcommands, in the order the help lists them.
mapfile -t commands < <(awk '/^Subcommands:/ { on = 1; next } /^$/ { on = 0 }
                             on && /^  [a-z]/ { print $1 }' <<<"$top")
((${#commands[@]} > 0)) || { echo "$0: $program --help lists no subcommands" >&2; exit 1; }

# The options a help text names: each line that starts with an option, every spelling of it.
options_of() {
    awk '/^ +-/ { n = split($1, names, ","); for (i = 1; i <= n; i++) print names[i] }' <<<"$1" |
        sort -u | tr '\n' ' ' | sed 's/ $//'
}

# Text as roff shows it literally.
roff() {
    sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\([.']\)/\\\\\&\1/"
}

# The help of one subcommand without its first line (which is its description).
command_section() {
    local text
    text=$(help_of "$1")
    printf '.SS "%s %s"\n' "$name" "$1"
    head -n1 <<<"$text" | roff
    printf '.PP\n.nf\n'
    tail -n +2 <<<"$text" | sed -e '/^$/d' -e '/^Exit status:/d' | roff
    printf '.fi\n'
}

version=$("$program" --version | awk '{ print $NF }')
options=$(awk '/^Options:/ { on = 1; next } /^$/ { on = 0 } on' <<<"$top" | roff)
exit_status=$(sed -n 's/^Exit status: *//p' <<<"$top" | roff)
[[ -n "$exit_status" ]] || { echo "$0: $program --help has no \"Exit status:\" footer" >&2; exit 1; }

sections=$(mktemp)
trap 'rm -f "$sections"' EXIT
for command in "${commands[@]}"; do
    command_section "$command"
done >"$sections"

awk -v options="$options" -v exit_status="$exit_status" \
    -v sections="$sections" -v version="$version" '
    { gsub(/@VERSION@/, version) }
    /^@OPTIONS@$/ { print ".nf"; print options; print ".fi"; next }
    /^@EXIT_STATUS@$/ { print exit_status; next }
    /^@COMMANDS@$/ { while ((getline line < sections) > 0) print line; next }
    { print }' "$template" >"$man.tmp"
mv "$man.tmp" "$man"

{
    printf '# bash completion for %s, written from its --help when it was built.\n' "$name"
    printf '_%s() {\n' "$name"
    printf '    local cur=${COMP_WORDS[COMP_CWORD]} command="" i words\n'
    printf '    for ((i = 1; i < COMP_CWORD; i++)); do\n'
    printf '        [[ ${COMP_WORDS[i]} == -* ]] || { command=${COMP_WORDS[i]}; break; }\n'
    printf '    done\n'
    printf '    case $command in\n'
    printf '        "") words="%s %s" ;;\n' "$(options_of "$top")" "${commands[*]}"
    for command in "${commands[@]}"; do
        printf '        %s) words="%s" ;;\n' "$command" "$(options_of "$(help_of "$command")")"
    done
    printf '        *) return ;;\n'
    printf '    esac\n'
    printf '    # Options, or a subcommand; anything else is a file name (complete -o default).\n'
    printf '    if [[ $cur == -* || -z $command ]]; then\n'
    printf '        mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")\n'
    printf '    fi\n'
    printf '}\n'
    printf 'complete -o default -F _%s %s\n' "$name" "$name"
} >"$completion.tmp"
mv "$completion.tmp" "$completion"
