#!/usr/bin/env bash
# Stops the wineserver (and so every Wine process) of <build dir>/wineprefix.
#   scripts/wine-stop.sh <build dir>
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "usage: $0 <build dir>" >&2
    exit 2
fi
[ -d "$1/wineprefix" ] || exit 0
export WINEPREFIX
WINEPREFIX="$(cd "$1" && pwd)/wineprefix"
wineserver -k >/dev/null 2>&1 || true
