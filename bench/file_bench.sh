#!/usr/bin/env bash
# rawpush to a file target against a minimal Win32 copy loop (same 4096-byte blocks), both under the
# same Wine in one run. Prints the throughput ratio (goal: at least 0.95) and rawpush's peak memory for
# a small and a large file (goal: no growth with the file size).
#   bench/file_bench.sh [build dir]      (default build/win32; build it first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
runs=${RUNS:-3}
"$root/scripts/wine-prefix.sh" "$build"
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work="$build/bench-work"
mkdir -p "$work"
head -c $((256 << 20)) /dev/urandom > "$work/big.bin"
head -c $((16 << 20)) /dev/urandom > "$work/small.bin"
bin="$build/bin"

measure() { # prints the best wall_ms of $runs runs and the last peak_kib
    local best=999999999 peak=0 out
    for _ in $(seq "$runs"); do
        out=$(wine "$bin/bench_launch.exe" "$@" </dev/null 2>/dev/null | tr -d '\r')
        local ms=${out#wall_ms=}; ms=${ms%% *}
        peak=${out#*peak_kib=}; peak=${peak%% *}
        [ "${out##*exit=}" = 0 ] || { echo "run failed: $*: $out" >&2; exit 1; }
        [ "$ms" -lt "$best" ] && best=$ms
    done
    echo "$best $peak"
}

read -r loop_ms _ < <(measure "$bin/bench_copyloop.exe" "$work/big.bin" "$work/loop.out")
read -r push_ms push_peak < <(measure "$bin/rawpush.exe" "$work/big.bin" "$work/push.out")
read -r _ small_peak < <(measure "$bin/rawpush.exe" "$work/small.bin" "$work/push_small.out")
cmp -s "$work/big.bin" "$work/push.out" || { echo "rawpush output differs from its input" >&2; exit 1; }
ratio=$(awk -v a="$loop_ms" -v b="$push_ms" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }')
echo "file 256 MiB: copy loop ${loop_ms} ms, rawpush ${push_ms} ms, throughput ratio ${ratio} (goal >= 0.95)"
echo "rawpush peak working set: 16 MiB file ${small_peak} KiB, 256 MiB file ${push_peak} KiB (goal: no growth)"
rm -rf "$work"
