#!/usr/bin/env bash
# clang-tidy (the checks in .clang-tidy) over the project's sources in the compile databases of the native
# and win32 configurations; non-zero when it finds anything.
#   scripts/tidy.sh [native|win32]...     (default: both; configures a preset whose build folder lacks one)
# Each finding is printed once (a header's findings repeat for every file that includes it); the full
# output is in build/test-logs/tidy-<preset>.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native win32)
jobs=${PTL_TIDY_JOBS:-2}
mkdir -p build/test-logs
failed=0
for p in "${presets[@]}"; do
    if [ ! -f "build/$p/compile_commands.json" ]; then
        cmake --preset "$p" >"build/test-logs/tidy-$p-configure.log"
    fi
    extra=()
    if [ "$p" = win32 ]; then
        # clang for the same target and headers as the cross compiler: its libstdc++ (posix threads) and
        # mingw-w64's Windows headers; clang's own intrinsics headers instead of gcc's.
        gcc_dir=$(dirname "$(i686-w64-mingw32-g++-posix -print-libgcc-file-name)")
        extra=(-extra-arg-before=--target=i686-w64-mingw32 -extra-arg=-nostdinc++)
        for d in "$gcc_dir/include/c++" "$gcc_dir/include/c++/i686-w64-mingw32" "$gcc_dir/include/c++/backward" \
            /usr/i686-w64-mingw32/include; do
            extra+=("-extra-arg=-isystem$d")
        done
    fi
    log=build/test-logs/tidy-$p.log
    echo "=== tidy $p"
    rc=0
    run-clang-tidy -p "build/$p" -j "$jobs" -quiet "${extra[@]}" "^$root/(ptl|sender|tools|tests|bench)/" \
        </dev/null >"$log" 2>&1 || rc=$?
    # run-clang-tidy always asks for colour: strip it before picking the finding lines.
    sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^/[^ ]+:[0-9]+:[0-9]+: (warning|error): ' | sed "s|^$root/||" |
        sort -u || true
    if [ "$rc" -ne 0 ]; then
        echo "tidy $p: findings (or a file clang could not compile): see $log"
        failed=1
    fi
done
exit "$failed"
