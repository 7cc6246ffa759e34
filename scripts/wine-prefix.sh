#!/usr/bin/env bash
# Prepares <build dir>/wineprefix (only when new) and starts its persistent wineserver.
#   scripts/wine-prefix.sh <build dir>
# Idempotent; safe to call from several processes at once (a lock guards creation).
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "usage: $0 <build dir>" >&2
    exit 2
fi
mkdir -p "$1"
build=$(cd "$1" && pwd)
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
log="$build/wineprefix.log"

create_prefix() {
    # A prefix without the marker is a half-made one from an interrupted run: start again.
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 9>&- >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
    echo "wine-prefix: creating $WINEPREFIX"
    {
        wineboot -i
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
        wineserver -w
    } </dev/null >>"$log" 2>&1 9>&-
    touch "$WINEPREFIX/.ptl-ready"
}

# fd 9 holds the lock; every Wine process gets 9>&- so that no lingering server or service keeps it.
exec 9>"$build/wineprefix.lock"
flock 9
if [ ! -e "$WINEPREFIX/.ptl-ready" ]; then
    create_prefix
fi
# Persistent server: later processes start in ~0.05 s. wineserver returns once its socket is ready;
# for a prefix whose server already runs it just exits with status 2.
setsid wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
# Start Wine's background services now, so they never inherit a test runner's pipes.
wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
exec 9>&-
