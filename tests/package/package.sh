#!/usr/bin/env bash
# The packages as a user gets them: cpack makes the ZIP and the NSIS installer; the ZIP's file list is
# checked; the installer runs silently under Wine into the build's prefix; examples/hello is configured
# and built against the installed CMake package and run under Wine against a file target.
#   package.sh <build dir> <source dir> <program>...     (the programs expected in bin/, e.g. rawpush.exe)
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
shift 2
programs=("$@")
work=$build/package-test
drive_c=$build/wineprefix/drive_c
install_win='C:\ptl-package-test'
install_dir=$drive_c/ptl-package-test
run() { "$src/cmake/wine-run.sh" "$build" "$@"; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$work" "$install_dir"
mkdir -p "$work"

echo "--- cpack"
(cd "$build" && cpack -G "ZIP;NSIS" -B "$work/out") >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack"
}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=ptl-$version-win32
zip=$work/out/$name.zip
installer=$work/out/$name.exe
[ -f "$zip" ] && [ -f "$installer" ] || fail "expected $name.zip and $name.exe in $work/out: $(ls "$work/out")"

echo "--- ZIP contents"
expected=(README.md doc/netprinter-sim.md examples/hello/CMakeLists.txt examples/hello/main.c include/ptl/ptl.h
    lib/libptl.dll.a lib/cmake/ptl/ptlConfig.cmake lib/cmake/ptl/ptlConfigVersion.cmake
    lib/cmake/ptl/ptlTargets.cmake lib/cmake/ptl/ptlTargets-release.cmake bin/ptl.dll)
for p in "${programs[@]}"; do
    expected+=("bin/$p")
done
printf '%s\n' "${expected[@]}" | sort >"$work/zip-expected.txt"
cmake -E tar tf "$zip" | grep -v '/$' | sed "s|^$name/||" | sort >"$work/zip-actual.txt"
diff -u "$work/zip-expected.txt" "$work/zip-actual.txt" || fail "the ZIP's files differ from the expected list"

echo "--- silent install into $install_win"
run "$installer" /S "/D=$install_win" || fail "installer exited $?"
for f in "${expected[@]}"; do
    [ -f "$install_dir/$f" ] || fail "installed tree lacks $f"
done
cmp "$build/bin/ptl.dll" "$install_dir/bin/ptl.dll" || fail "installed ptl.dll differs from the build's"

echo "--- example against the installed package"
# The cross toolchain looks for packages only in its own root unless told otherwise.
cmake -S "$src/examples/hello" -B "$work/hello" -G Ninja --toolchain "$src/cmake/toolchain-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=BOTH -DCMAKE_PREFIX_PATH="$install_dir" \
    >"$work/hello-configure.log" 2>&1 || {
    cat "$work/hello-configure.log"
    fail "configuring the example"
}
grep -q "ptl_DIR:PATH=$install_dir/lib/cmake/ptl" "$work/hello/CMakeCache.txt" ||
    fail "the example found another ptl package: $(grep ptl_DIR "$work/hello/CMakeCache.txt")"
cmake --build "$work/hello" >"$work/hello-build.log" 2>&1 || {
    cat "$work/hello-build.log"
    fail "building the example"
}
cmp "$install_dir/bin/ptl.dll" "$work/hello/ptl.dll" || fail "the example's ptl.dll is not the installed one"

echo "--- example run"
out_unix=$drive_c/ptl-package-test-out.bin
rm -f "$out_unix"
(cd "$work/hello" && run ./hello.exe 'C:\ptl-package-test-out.bin') >"$work/hello-run.txt" 2>&1 || {
    cat "$work/hello-run.txt"
    fail "the example exited non-zero"
}
cat "$work/hello-run.txt"
cat >"$work/hello-expected.txt" <<'TEXT'
PtlStartup: 0
PtlOpenByName(C:\ptl-package-test-out.bin): <handle>
PtlClaim: 0
PtlSend: 0
written: 16 of 16
PtlRelease: 0
PtlClose: 0
PtlCleanup: 0
TEXT
# A handle is any value but -1.
tr -d '\r' <"$work/hello-run.txt" | sed -E '/: -1$/!s/^(PtlOpenByName.*): -?[0-9]+$/\1: <handle>/' | diff -u "$work/hello-expected.txt" - || fail "the example's output"
printf 'Hello from PTL\r\n' | cmp - "$out_unix" || fail "the file target's bytes"
echo "package test passed"
