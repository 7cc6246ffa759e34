#!/usr/bin/env bash
# A serial line for Wine made of two linked ptys (socat), started and stopped as a CTest fixture:
#   pty-pair.sh start <work dir> <wine prefix> <com> <peer com>
#   pty-pair.sh stop  <work dir> <wine prefix> <com> <peer com>
# COM<com> is the port under test, COM<peer com> the other end of the line; <work dir>/A and B are the
# ptys, <work dir>/socat.pid the process to stop.
set -eu
cmd=$1 dir=$2 prefix=$3 com=$4 peer=$5
mkdir -p "$dir"
case "$cmd" in
start)
    "$0" stop "$dir" "$prefix" "$com" "$peer" || true
    setsid socat -d -d pty,raw,echo=0,link="$dir/A" pty,raw,echo=0,link="$dir/B" \
        </dev/null >"$dir/socat.log" 2>&1 &
    echo $! >"$dir/socat.pid"
    for _ in $(seq 1 200); do
        [ -e "$dir/A" ] && [ -e "$dir/B" ] && break
        sleep 0.05
    done
    [ -e "$dir/A" ] && [ -e "$dir/B" ] || { cat "$dir/socat.log" >&2; exit 1; }
    mkdir -p "$prefix/dosdevices"
    ln -sfn "$dir/A" "$prefix/dosdevices/com$com"
    ln -sfn "$dir/B" "$prefix/dosdevices/com$peer"
    ;;
stop)
    if [ -f "$dir/socat.pid" ]; then
        kill "$(cat "$dir/socat.pid")" 2>/dev/null || true
        rm -f "$dir/socat.pid"
    fi
    rm -f "$prefix/dosdevices/com$com" "$prefix/dosdevices/com$peer"
    ;;
*) echo "usage: $0 start|stop <dir> <prefix> <com> <peer>" >&2; exit 2 ;;
esac
