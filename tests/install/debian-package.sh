#!/usr/bin/env bash
# The Debian package: cpack -G DEB of the build tree holds exactly the expected files, with
# dependencies from dpkg-shlibdeps and the triggers that refresh the desktop's databases, and
# lintian finds no error in it (its warnings are printed). The package is left in WORK_DIR for
# debian-package-install.sh.
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
echo "debian package: ok"
