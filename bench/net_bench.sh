#!/usr/bin/env bash
# rawpush to the network printer simulator over loopback, synchronous and -a, against a minimal Win32
# program that sends the same file in 4096-byte blocks with blocking send; all under the same Wine in one
# run, best of RUNS (3) each. Prints the throughput ratios (goal: at least 0.9 each).
#   bench/net_bench.sh [build dir]      (default build/win32; build it first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
runs=${RUNS:-3}
ip=127.13.0.2
"$root/scripts/wine-prefix.sh" "$build"
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work="$build/bench-net-work"
rm -rf "$work"
mkdir -p "$work"
head -c $((256 << 20)) /dev/urandom >"$work/big.bin"
bin="$build/bin"

# The simulator serves exactly the jobs of this run, so it ends by itself; the lifetime is a safety net.
jobs=$((4 * runs))
wine "$bin/netprinter-sim.exe" --address $ip --discard --quiet --jobs $jobs --lifetime 900 \
    </dev/null >"$work/sim.out" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 200); do
    grep -q listening "$work/sim.out" 2>/dev/null && break
    sleep 0.05
done
grep -q listening "$work/sim.out" || { echo "simulator did not start:" >&2; cat "$work/sim.out" >&2; exit 1; }

measure() { # prints the wall_ms of one run
    local out
    out=$(wine "$bin/bench_launch.exe" "$@" </dev/null 2>/dev/null | tr -d '\r')
    [ "${out##*exit=}" = 0 ] || { echo "run failed: $*: $out" >&2; exit 1; }
    local ms=${out#wall_ms=}
    echo "${ms%% *}"
}
min() { [ "$1" -lt "$2" ] && echo "$1" || echo "$2"; }

# Interleaved, so that a warming cache or a busy machine does not favour one program.
base_ms=999999999 dlls_ms=999999999 sync_ms=999999999 async_ms=999999999
for _ in $(seq "$runs"); do
    base_ms=$(min "$base_ms" "$(measure "$bin/bench_netsend.exe" "$work/big.bin" $ip)")
    dlls_ms=$(min "$dlls_ms" "$(measure "$bin/bench_netsend_dlls.exe" "$work/big.bin" $ip)")
    sync_ms=$(min "$sync_ms" "$(measure "$bin/rawpush.exe" "$work/big.bin" VQNET@$ip)")
    async_ms=$(min "$async_ms" "$(measure "$bin/rawpush.exe" -a "$work/big.bin" VQNET@$ip)")
done
wait $sim || true
complete=$(grep -c "^job .*: $((256 << 20)) bytes .* complete" "$work/sim.out" || true)
[ "$complete" = "$jobs" ] || { echo "only $complete of $jobs jobs arrived whole:" >&2; cat "$work/sim.out" >&2; exit 1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }'; }
echo "network 256 MiB over loopback: blocking-send loop ${base_ms} ms"
echo "  rawpush VQNET    ${sync_ms} ms, throughput ratio $(ratio "$base_ms" "$sync_ms") (goal >= 0.9)"
echo "  rawpush -a VQNET ${async_ms} ms, throughput ratio $(ratio "$base_ms" "$async_ms") (goal >= 0.9)"
# Under Wine the loop itself slows down once its process has loaded the system libraries that ptl.dll
# imports (user32 for the notification window, winspool, advapi32, shell32); this shows how much of the
# gap is that and how much the library's own work.
echo "same loop with ptl.dll's system libraries loaded ${dlls_ms} ms (ratio to the plain loop $(ratio "$base_ms" "$dlls_ms"))"
echo "  rawpush VQNET    ratio to it $(ratio "$dlls_ms" "$sync_ms"); rawpush -a VQNET ratio to it $(ratio "$dlls_ms" "$async_ms")"
