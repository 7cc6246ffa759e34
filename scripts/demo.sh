#!/usr/bin/env bash
# Builds rawpush.exe and sends the sample receipt to a target under Wine.
#   scripts/demo.sh [file] [target]     (defaults: samples/job.bin VQNET@127.0.0.2)
# With the default target the shipped network printer simulator (tools/netprinter-sim) takes the job on
# 127.0.0.2 and the script shows what it received.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

job=${1:-samples/job.bin}
target=${2:-VQNET@127.0.0.2} # DUMP prints a hex dump of what would be sent
build=build/win32

scripts/install-deps.sh
[ -f samples/job.bin ] || samples/make-job.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
if [ ! -f "$build/bin/rawpush.exe" ]; then
    echo "demo: $build/bin/rawpush.exe was not built (is sender/CMakeLists.txt there?)" >&2
    exit 1
fi

scripts/wine-prefix.sh "$build"
trap 'scripts/wine-stop.sh "$build"' EXIT

sim_pid=""
if [ "$target" = "VQNET@127.0.0.2" ]; then
    # The simulator takes one job, writes it to $printer/job0001.bin and ends (after 60 s at the latest).
    printer=$build/demo-printer
    rm -rf "$printer"
    mkdir -p "$printer"
    echo "=== netprinter-sim.exe --address 127.0.0.2 (received jobs go to $printer)"
    (cd "$printer" && exec "$root/cmake/wine-run.sh" "$root/$build" "$root/$build/bin/netprinter-sim.exe" \
        --address 127.0.0.2 --out . --jobs 1 --lifetime 60 </dev/null >sim.log 2>&1) &
    sim_pid=$!
    for _ in $(seq 200); do
        grep -q listening "$printer/sim.log" 2>/dev/null && break
        sleep 0.05
    done
    grep -q listening "$printer/sim.log" || { cat "$printer/sim.log" >&2; exit 1; }
fi

echo "=== rawpush.exe $job $target"
rc=0
cmake/wine-run.sh "$build" "$build/bin/rawpush.exe" "$job" "$target" || rc=$?
echo "=== rawpush.exe exited with $rc"
if [ -n "$sim_pid" ]; then
    # A job ends the simulator; after a failed run the lifetime does.
    [ "$rc" = 0 ] || kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" || true
    echo "=== the printer's side"
    tr -d '\r' <"$printer/sim.log"
    if [ -f "$printer/job0001.bin" ]; then
        ls -l "$printer/job0001.bin"
        if cmp -s "$job" "$printer/job0001.bin"; then echo "received job is identical to $job"; fi
        od -A x -t x1z "$printer/job0001.bin" | head -n 8
    fi
fi
exit "$rc"
