#!/usr/bin/env bash
# rawpush to the network printer simulator over loopback, synchronous and -a, against a minimal Win32
# program that sends the same file in 4096-byte blocks with blocking send; all under the same Wine in one
# run, in RUNS (5) interleaved rounds. Prints the throughput ratios (goal: at least 0.9 each).
#   bench/net_bench.sh [build dir]      (default build/win32; build it first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
runs=${RUNS:-5}
ip=127.13.0.2
# shellcheck source=lib.sh
. "$root/bench/lib.sh"
bench_wine_env "$root" "$build"
work="$build/bench-net-work"
rm -rf "$work"
mkdir -p "$work"
head -c $((256 << 20)) /dev/urandom >"$work/big.bin"
bin="$build/bin"

# The simulator serves exactly the jobs of this run, so it ends by itself; the lifetime is a safety net.
jobs=$((4 * runs))
bench_on_exit='kill $sim 2>/dev/null || true; rm -rf "$work"'
bench_start_sim "$work" --address $ip --discard --quiet --jobs $jobs --lifetime 900

base=() dlls=() sync=() async=() sync_r=() async_r=() sync_dr=() async_dr=()
for _ in $(seq "$runs"); do
    read -r b _ < <(bench_run "$bin/bench_netsend.exe" "$work/big.bin" $ip)
    read -r d _ < <(bench_run "$bin/bench_netsend_dlls.exe" "$work/big.bin" $ip)
    read -r s _ < <(bench_run "$bin/rawpush.exe" "$work/big.bin" VQNET@$ip)
    read -r a _ < <(bench_run "$bin/rawpush.exe" -a "$work/big.bin" VQNET@$ip)
    base+=("$b") dlls+=("$d") sync+=("$s") async+=("$a")
    sync_r+=("$(bench_ratio "$b" "$s")") async_r+=("$(bench_ratio "$b" "$a")")
    sync_dr+=("$(bench_ratio "$d" "$s")") async_dr+=("$(bench_ratio "$d" "$a")")
done
wait $sim || true
complete=$(grep -c "^job .*: $((256 << 20)) bytes .* complete" "$work/sim.out" || true)
[ "$complete" = "$jobs" ] || { echo "only $complete of $jobs jobs arrived whole:" >&2; cat "$work/sim.out" >&2; exit 1; }
b=$(bench_min "${base[@]}") d=$(bench_min "${dlls[@]}") s=$(bench_min "${sync[@]}") a=$(bench_min "${async[@]}")
echo "network 256 MiB over loopback, $runs rounds: blocking-send loop best ${b} ms"
echo "  rawpush VQNET    best ${s} ms: throughput ratio $(bench_median "${sync_r[@]}") median of rounds," \
    "$(bench_ratio "$b" "$s") of best times (goal >= 0.9)"
echo "  rawpush -a VQNET best ${a} ms: throughput ratio $(bench_median "${async_r[@]}") median of rounds," \
    "$(bench_ratio "$b" "$a") of best times (goal >= 0.9)"
# Under Wine, the system libraries and the window that ptl.dll's start-up needs cost a process some
# milliseconds at start and can slow it later; this baseline pays the same (bench/system_dlls.h).
echo "same loop with ptl.dll's system libraries and window: best ${d} ms"
echo "  rawpush VQNET ratio to it $(bench_median "${sync_dr[@]}"), rawpush -a VQNET $(bench_median "${async_dr[@]}")" \
    "(medians of rounds)"
