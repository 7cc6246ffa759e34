#!/usr/bin/env bash
# rawpush to a file target against a minimal Win32 copy loop (same 4096-byte blocks), both under the
# same Wine in one run, in RUNS (5) interleaved rounds. Prints the throughput ratio (goal: at least 0.95)
# and rawpush's peak memory for a small and a large file (goal: no growth with the file size).
#   bench/file_bench.sh [build dir]      (default build/win32; build it first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
runs=${RUNS:-5}
# shellcheck source=lib.sh
. "$root/bench/lib.sh"
bench_wine_env "$root" "$build"
work="$build/bench-work"
rm -rf "$work"
mkdir -p "$work"
bench_on_exit='rm -rf "$work"'
head -c $((256 << 20)) /dev/urandom >"$work/big.bin"
head -c $((16 << 20)) /dev/urandom >"$work/small.bin"
bin="$build/bin"

loop=() dlls=() push=() ratios=() dll_ratios=()
for _ in $(seq "$runs"); do
    read -r l _ < <(bench_run "$bin/bench_copyloop.exe" "$work/big.bin" "$work/loop.out")
    read -r d _ < <(bench_run "$bin/bench_copyloop_dlls.exe" "$work/big.bin" "$work/loop.out")
    read -r p push_peak < <(bench_run "$bin/rawpush.exe" "$work/big.bin" "$work/push.out")
    loop+=("$l") dlls+=("$d") push+=("$p")
    ratios+=("$(bench_ratio "$l" "$p")") dll_ratios+=("$(bench_ratio "$d" "$p")")
done
read -r _ small_peak < <(bench_run "$bin/rawpush.exe" "$work/small.bin" "$work/push_small.out")
cmp -s "$work/big.bin" "$work/push.out" || { echo "rawpush output differs from its input" >&2; exit 1; }
l=$(bench_min "${loop[@]}") d=$(bench_min "${dlls[@]}") p=$(bench_min "${push[@]}")
echo "file 256 MiB, $runs rounds: copy loop best ${l} ms, rawpush best ${p} ms"
echo "  throughput ratio $(bench_median "${ratios[@]}") median of rounds, $(bench_ratio "$l" "$p") of best times" \
    "(goal >= 0.95)"
# A run this short is a quarter of a second: the start-up that ptl.dll's system libraries and window cost
# under Wine is a visible part of it. This baseline pays the same (bench/system_dlls.h).
echo "same loop with ptl.dll's system libraries and window: best ${d} ms, rawpush's ratio to it" \
    "$(bench_median "${dll_ratios[@]}") (median of rounds)"
echo "rawpush peak working set: 16 MiB file ${small_peak} KiB, 256 MiB file ${push_peak} KiB (goal: no growth)"
