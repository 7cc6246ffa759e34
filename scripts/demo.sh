#!/usr/bin/env bash
# Builds rawpush.exe and sends the sample receipt to a target under Wine.
#   scripts/demo.sh [file] [target]     (defaults: samples/job.bin DUMP)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

job=${1:-samples/job.bin}
target=${2:-DUMP} # DUMP prints a hex dump of what would be sent
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

echo "=== rawpush.exe $job $target"
rc=0
cmake/wine-run.sh "$build" "$build/bin/rawpush.exe" "$job" "$target" || rc=$?
echo "=== rawpush.exe exited with $rc"
exit "$rc"
