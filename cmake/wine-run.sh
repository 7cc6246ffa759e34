#!/usr/bin/env bash
# CMAKE_CROSSCOMPILING_EMULATOR for the win32 build, usable by hand too:
#   cmake/wine-run.sh <build dir> <program.exe> [args...]
# Each build folder has its own 32-bit prefix, so builds never share Wine state.
set -eu
if [ $# -lt 2 ]; then
    echo "usage: $0 <build dir> <program.exe> [args...]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
shift
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="
# PTL_WINEDEBUG lets a person turn Wine's channels back on while chasing a problem.
export WINEDEBUG="${PTL_WINEDEBUG:--all}"
if [ ! -e "$WINEPREFIX/.ptl-ready" ]; then
    # Without the recipe (Graphics=null, no crash dialog) a test can hang; output stays off our pipes.
    "$(dirname "$(readlink -f "$0")")/../scripts/wine-prefix.sh" "$build" </dev/null >/dev/null 2>&1
fi
exec wine "$@"
