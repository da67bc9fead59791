#!/usr/bin/env bash
# The Debian package: cpack -G DEB of the build tree holds exactly the expected files, with
# dependencies from dpkg-shlibdeps and the triggers that refresh the desktop's databases, and
# lintian finds no error in it (its warnings are printed). As root, and when no foliant package
# is installed already, it is installed and removed again: the program runs from /usr, and
# nothing it brought is left behind.
#
#   debian-package.sh BUILD_DIR WORK_DIR LIBDIR EXPECTED_CONTENTS
set -euo pipefail
build=$1 work=$2 libdir=$3 expected=$4
fail() { echo "FAILED: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
(cd "$build" && timeout 600 cpack -G DEB -B "$work" >"$work/cpack.log") ||
    { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(find "$work" -maxdepth 1 -name 'foliant_*_amd64.deb')
[[ -f "$deb" ]] || fail "no foliant_<version>_amd64.deb in $work"

# The files, their library folder and version written as in the expected list.
version=$(dpkg-deb -f "$deb" Version)
dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v '/$' | sed -e 's|^\./||' \
    -e "s|/$libdir/|/@LIBDIR@/|" -e "s|$version|@VERSION@|g" \
    -e 's|FoliantTargets-[a-z]*\.cmake|FoliantTargets-@CONFIG@.cmake|' | sort >"$work/contents.txt"
diff -u <(grep -v '^#' "$expected" | sort) "$work/contents.txt" ||
    fail "the package's files differ from the expected list (- expected, + in the package)"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libqt6widgets6 libsqlite3-0; do
    grep -q "\b$needed\b" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
dpkg-deb -e "$deb" "$work/control"
for trigger in ldconfig /usr/share/mime/packages /usr/share/applications; do
    grep -qx "activate-noawait $trigger" "$work/control/triggers" || fail "no trigger $trigger"
done
grep -q "libFoliant" "$work/control/shlibs" || fail "no shlibs entry for libFoliant"

if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
    cat "$work/lintian.txt"
    ! grep -q '^E: ' "$work/lintian.txt" || fail "lintian reports errors"
fi

if [[ $(id -u) -ne 0 ]] || dpkg-query -W -f='${Status}' foliant 2>/dev/null | grep -q installed; then
    echo "debian package: ok (not installed: not root, or a foliant package is installed)"
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
echo "debian package: ok (installed and removed)"
