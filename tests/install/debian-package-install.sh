#!/usr/bin/env bash
# The Debian package that debian-package.sh made, installed and removed again (as root, and
# when no foliant package is installed already): the program runs from /usr, and nothing it
# brought is left behind.
#
#   debian-package-install.sh WORK_DIR
set -euo pipefail
work=$1
fail() { echo "FAILED: $*" >&2; exit 1; }

deb=$(find "$work" -maxdepth 1 -name 'foliant_*_amd64.deb')
[[ -f "$deb" ]] || fail "no foliant_<version>_amd64.deb in $work"
version=$(dpkg-deb -f "$deb" Version)

if [[ $(id -u) -ne 0 ]] || dpkg-query -W -f='${Status}' foliant 2>/dev/null | grep -q installed; then
    echo "debian package installs: ok (not installed: not root, or a foliant package is installed)"
    exit 0
fi
trap 'dpkg --purge foliant >/dev/null 2>&1 || true' EXIT
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
dpkg -L foliant | sort >"$work/installed.txt"
/usr/bin/foliant --version | grep -q "^foliant $version$" || fail "/usr/bin/foliant --version"
(cd "$work" && FOLIANT_REGISTRY_DIR="$work/registry" /usr/bin/foliant demo --out demo.rpt \
    >/dev/null) || fail "the installed foliant demo"
grep -q "/usr/share/foliant/sample.db" "$work/demo.rpt" || fail "demo did not use /usr/share"
man -w foliant | grep -q "^/usr/share/man/man1/foliant.1.gz$" || fail "man foliant"
if command -v update-mime-database >/dev/null; then
    grep -q "application/x-foliant-report:\*\.rpt" /usr/share/mime/globs2 ||
        fail "the trigger did not bring .rpt into the MIME database"
fi
dpkg --purge foliant >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --purge"; }
trap - EXIT
left=()
while IFS= read -r path; do
    [[ -f "$path" || -L "$path" ]] && left+=("$path")
done <"$work/installed.txt"
((${#left[@]} == 0)) || fail "left behind after removal: ${left[*]}"
if grep -q "x-foliant-report" /usr/share/mime/globs2 2>/dev/null; then
    fail "the MIME database still knows .rpt after removal"
fi
echo "debian package installs: ok (installed and removed)"
