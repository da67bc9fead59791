#!/usr/bin/env bash
# The desktop's files pass desktop-file-validate, and the MIME database made from the MIME type
# maps *.rpt to it, with the launcher offering to open it.
#
#   desktop-files.sh DESKTOP_FILE MIME_FILE WORK_DIR
set -euo pipefail
desktop=$1 mime=$2 work=$3
fail() { echo "FAILED: $*" >&2; exit 1; }
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[[ -z "$out" ]] || fail "desktop-file-validate: $out"
type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime")
grep -q "^MimeType=.*$type;" "$desktop" || fail "the launcher does not open $type"
rm -rf "$work"
mkdir -p "$work/mime/packages"
cp "$mime" "$work/mime/packages/"
out=$(XDG_DATA_HOME="$work" update-mime-database "$work/mime" 2>&1) || fail "update-mime-database: $out"
[[ -z "$out" ]] || fail "update-mime-database: $out"
grep -qx "[0-9]*:$type:\*\.rpt" "$work/mime/globs2" || fail "*.rpt is not $type"
echo "desktop files: ok"
