#!/usr/bin/env bash
# Soak: 1 GiB through `rawpush -a` to the network printer simulator while its reader pauses 300 ms every
# 64 MiB; what arrives must be the file, byte for byte. Prints the run's wall time and peak working set.
#   bench/net_soak.sh [build dir]      (default build/win32; build it first)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
ip=127.13.0.3
# shellcheck source=lib.sh
. "$root/bench/lib.sh"
bench_wine_env "$root" "$build"
work="$build/bench-soak-work"
rm -rf "$work"
mkdir -p "$work/jobs"
head -c $((1 << 30)) /dev/urandom >"$work/soak.bin"
bin="$build/bin"

bench_on_exit='kill $sim 2>/dev/null || true; rm -rf "$work"'
bench_start_sim "$work" --address $ip --out "$(winepath -w "$work/jobs")" --jobs 1 --lifetime 900 \
    --stall-every 67108864 --stall-ms 300

read -r ms peak < <(bench_run "$bin/rawpush.exe" -a "$work/soak.bin" VQNET@$ip)
wait $sim || true
cmp "$work/soak.bin" "$work/jobs/job0001.bin" || { echo "the job arrived changed:" >&2; cat "$work/sim.out" >&2; exit 1; }
echo "soak 1 GiB rawpush -a VQNET with a stalling reader: ${ms} ms, peak ${peak} KiB, every byte arrived"
