#!/usr/bin/env bash
# An installation works on its own: installed into a temporary prefix and then moved, with the
# build tree renamed away, the installed foliant finds its sample database, component, plugin
# and help, and its demo and export give what the build tree's give; the sample hosts build
# against the installed CMake package and run on the installed component.
#
#   installed-program.sh BUILD_DIR SOURCE_DIR LIBDIR C_FLAGS CXX_FLAGS LINKER_FLAGS
#
# Everything it makes is in a temporary folder outside the build tree, removed at the end.
set -euo pipefail
build=$1 source=$2 libdir=$3 c_flags=$4 cxx_flags=$5 linker_flags=$6
away="$build.away-$$"
work=$(mktemp -d "${TMPDIR:-/tmp}/foliant-installed.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
# Each step is bounded, so the build tree is always given back.
run() { timeout -k 10 300 "$@"; }

mkdir -p "$work/reference" "$work/elsewhere"
unset FOLIANT_PREFIX FOLIANT_HELP_VIEWER FOLIANT_WIZARD_SCRIPT
export FOLIANT_REGISTRY_DIR="$work/registry"
export XDG_DATA_HOME="$work/data" # register writes the desktop files there

# The results from the build tree, to compare with.
(cd "$work/reference" && run "$build/apps/foliant/foliant" demo --out demo.rpt >demo.json &&
    run "$build/apps/foliant/foliant" export demo.rpt --text demo.txt)

run cmake --install "$build" --prefix "$work/staged" >/dev/null
mv "$work/staged" "$work/prefix"
prefix="$work/prefix"

mv "$build" "$away"
trap 'mv "$away" "$build"; rm -rf "$work"' EXIT

cd "$work/elsewhere"
foliant="$prefix/bin/foliant"
run "$foliant" --version | grep -qx "foliant [0-9]*\.[0-9]*\.[0-9]*" || fail "foliant --version"
run "$foliant" demo --out demo.rpt >demo.json || fail "installed foliant demo"
run "$foliant" export demo.rpt --text demo.txt || fail "installed foliant export"
# The reports differ only in where the sample database is.
normal() { sed -E 's|"[^"]*share/foliant/sample\.db"|SAMPLE|g' "$1"; }
diff <(normal "$work/reference/demo.json") <(normal demo.json) ||
    fail "the installed demo made another report"
diff <(normal "$work/reference/demo.rpt") <(normal demo.rpt) ||
    fail "the installed demo saved another report"
diff "$work/reference/demo.txt" demo.txt || fail "the installed export wrote other pages"
grep -q "prefix/share/foliant/sample.db\"" demo.rpt ||
    fail "the installed demo did not use the installed sample database"

# The component and the help are the installation's own.
out=$(run "$foliant" register) || fail "installed foliant register"
grep -qF "component $prefix/$libdir/libFoliant.so" <<<"$out" || fail "register: $out"
grep -qF "help files in $prefix/share/foliant/help" <<<"$out" || fail "register: $out"
run "$foliant" unregister >/dev/null || fail "installed foliant unregister"

# Libraries carry their SONAME, and nothing points into a fixed folder.
for lib in libFoliant libreportengine; do
    readelf -d "$prefix/$libdir/$lib.so" | grep -q "SONAME.*\[$lib\.so\.[0-9]*\]" ||
        fail "$lib.so has no versioned SONAME"
done
[[ -f "$prefix/$libdir/foliant/libFoliantQt.so" ]] || fail "the plugin is not in $libdir/foliant"
while IFS= read -r -d '' file; do
    if readelf -d "$file" 2>/dev/null | grep -E "R(UN)?PATH" | grep -v '\[\$ORIGIN[^:]*\]$'; then
        fail "$file has a library search path that is not relative to itself"
    fi
done < <(find "$prefix/bin" "$prefix/$libdir" -type f -print0)
if grep -rlF -e "$build" -e "$away" "$prefix/$libdir/cmake" "$prefix/share/applications"; then
    fail "installed files name the build tree"
fi

# The sample hosts, built against the installed package alone.
run cmake -S "$source/examples" -B "$work/examples" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_C_FLAGS="$c_flags" -DCMAKE_CXX_FLAGS="$cxx_flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$linker_flags" >/dev/null || fail "configuring the examples"
run cmake --build "$work/examples" >/dev/null || fail "building the examples"
[[ -x "$work/examples/bin/foliant-qt-host" ]] || fail "the Qt host was not built"
out=$(run env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM \
    FOLIANT_LIBRARY="$prefix/$libdir/libFoliant.so" \
    "$work/examples/bin/foliant-c-host" "$prefix/share/foliant/sample.db" 2>&1) || true
grep -q "DisplayReportWizard failed: error 5: The wizard cannot be shown: this process has no display" \
    <<<"$out" && grep -q "host: done" <<<"$out" || fail "the installed C host: $out"
echo "installed: ok"
