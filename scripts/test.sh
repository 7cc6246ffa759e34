#!/usr/bin/env bash
# Builds every configuration and runs all test tiers; exits non-zero if anything failed.
#   scripts/test.sh              # native, win32 and fuzz
#   scripts/test.sh win32        # only the named presets
# Logs: build/test-logs/<preset>-{configure,build,ctest}.log, JUnit: build/<preset>/ctest-junit.xml
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native win32 fuzz)
jobs=${PTL_TEST_JOBS:-2}

scripts/install-deps.sh

logs=build/test-logs
mkdir -p "$logs"
declare -A build_s test_s result summary
failed=0
wine_build=build/win32
prefix_pid=""
build_failures=0

cleanup() {
    if [ -n "$prefix_pid" ]; then
        wait "$prefix_pid" 2>/dev/null || true
    fi
    if [ -d "$wine_build/wineprefix" ]; then
        scripts/wine-stop.sh "$wine_build"
    fi
}
trap cleanup EXIT

now() { echo "${EPOCHREALTIME/,/.}"; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

uses_wine=0
for p in "${presets[@]}"; do
    [ "$p" = win32 ] && uses_wine=1
done
if [ "$uses_wine" = 1 ]; then
    # The prefix (about 10 s, mostly waiting) is made while the compilers run.
    mkdir -p "$wine_build"
    scripts/wine-prefix.sh "$wine_build" </dev/null >"$logs/wine-prefix.log" 2>&1 &
    prefix_pid=$!
fi

for p in "${presets[@]}"; do
    echo "=== $p: configure and build"
    t=$(now)
    if cmake --preset "$p" >"$logs/$p-configure.log" 2>&1 &&
        cmake --build --preset "$p" >"$logs/$p-build.log" 2>&1; then
        result[$p]=built
    else
        result[$p]="BUILD FAILED"
        failed=1
        build_failures=$((build_failures + 1))
        tail -n 60 "$logs/$p-configure.log" "$logs/$p-build.log" 2>/dev/null || true
    fi
    build_s[$p]=$(since "$t")
    echo "    ${result[$p]} in ${build_s[$p]} s"
done

if [ -n "$prefix_pid" ]; then
    if ! wait "$prefix_pid"; then
        echo "wine prefix preparation failed:" >&2
        cat "$logs/wine-prefix.log" >&2
        failed=1
    fi
    prefix_pid=""
fi

total_pass=0
total_fail=$build_failures # a configuration that did not build counts as one failure
for p in "${presets[@]}"; do
    [ "${result[$p]}" = built ] || continue
    echo "=== $p: ctest"
    if [ "$p" = win32 ]; then
        # Cheap when the server already runs; restarts it if it stopped during the build.
        scripts/wine-prefix.sh "$wine_build" </dev/null >>"$logs/wine-prefix.log" 2>&1
    fi
    t=$(now)
    rc=0
    # Output goes to the terminal and to a file; stdin is closed so no test waits on it.
    ctest --test-dir "build/$p" --output-on-failure -j "$jobs" --no-tests=error \
        --output-log "$logs/$p-ctest.log" --output-junit ctest-junit.xml </dev/null || rc=$?
    test_s[$p]=$(since "$t")
    line=$(grep -E '^[0-9]+% tests passed' "$logs/$p-ctest.log" | tail -n 1 || true)
    if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        total_fail=$((total_fail + BASH_REMATCH[1]))
        total_pass=$((total_pass + BASH_REMATCH[2] - BASH_REMATCH[1]))
    fi
    if [ "$rc" -ne 0 ]; then
        failed=1
        result[$p]="TESTS FAILED"
        [ -n "$line" ] || { line="ctest exited $rc without a summary"; total_fail=$((total_fail + 1)); }
    else
        result[$p]=passed
    fi
    summary[$p]=$line
done

echo
echo "=== summary"
for p in "${presets[@]}"; do
    printf '%-7s %-13s build %6s s  test %6s s  %s\n' "$p" "${result[$p]}" "${build_s[$p]:--}" \
        "${test_s[$p]:--}" "${summary[$p]:-}"
    if [ "${result[$p]}" = "TESTS FAILED" ]; then
        sed -n '/The following tests FAILED/,$p' "$logs/$p-ctest.log" | grep -E '^\s+[0-9]+ - ' || true
    fi
done
# The library's layers include only downwards (scripts/layers.sh prints any include that does not).
"$root/scripts/layers.sh" || failed=1
# House style: the sources as clang-format (.clang-format at the root) writes them.
if command -v clang-format >/dev/null; then
    unformatted=$(git -C "$root" ls-files '*.cpp' '*.h' | (cd "$root" && xargs clang-format --dry-run 2>&1) |
        grep -o '^[^:]*:[0-9]*:[0-9]*: warning' | cut -d: -f1 | sort -u || true)
    if [ -n "$unformatted" ]; then
        echo "format: these files differ from clang-format's layout (run clang-format -i on them):"
        echo "$unformatted"
        failed=1
    else
        echo "format: all sources as clang-format writes them"
    fi
fi
echo "ctest: $total_pass passed, $total_fail failed"
exit "$failed"
