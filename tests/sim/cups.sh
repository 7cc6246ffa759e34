#!/usr/bin/env bash
# A CUPS scheduler of its own for the spooler tests, started and stopped as a CTest fixture:
#   cups.sh start <dir> <queue>...   cupsd -f with config, spool and socket under <dir>; one raw queue per
#                                    name, the last one the default
#   cups.sh add <dir> <queue>...     more raw queues
#   cups.sh reject <dir> <queue>     the queue refuses new jobs
#   cups.sh stop <dir>               ends the cupsd started here, by its process id
# Clients reach it through CUPS_SERVER=<dir>/cups.sock. Each queue's device is our own backend "ptlcopy",
# which copies the job to <dir>/out/<queue> (written beside it first, then renamed, so a reader never
# sees half a job) and its CUPS job id and title to <dir>/out/<queue>.job ("<id> <title>").
set -eu
cmd=$1 dir=$2
shift 2
sock=$dir/cups.sock
export CUPS_SERVER=$sock
# cupsd, lpadmin and cupsreject live in sbin, which a runner's PATH may leave out.
export PATH=$PATH:/usr/sbin:/sbin

stop() {
    if [ -f "$dir/cupsd.pid" ]; then
        pid=$(cat "$dir/cupsd.pid")
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 1 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        kill -KILL "$pid" 2>/dev/null || true
        rm -f "$dir/cupsd.pid"
    fi
}

add() {
    for q in "$@"; do
        lpadmin -p "$q" -E -v "ptlcopy:$dir/out/$q" 2>&1 | grep -v 'deprecated' >&2 || true
        lpstat -p "$q" >/dev/null
    done
}

case "$cmd" in
start)
    stop
    rm -rf "$dir"
    mkdir -p "$dir"/{conf,spool/tmp,cache,state,log,out,bin/backend}
    # ServerBin of our own: the system's helpers plus our backend. Backends of mode 0700 run as root.
    for d in daemon filter cgi-bin notifier monitor driver; do
        [ -e "/usr/lib/cups/$d" ] && ln -s "/usr/lib/cups/$d" "$dir/bin/$d"
    done
    cat >"$dir/bin/backend/ptlcopy" <<'EOF'
#!/bin/sh
# CUPS backend: ptlcopy:<path> copies the job (stdin or the file in $6) to <path>, "<id> <title>" to <path>.job.
[ $# -eq 0 ] && { echo 'direct ptlcopy "Unknown" "PTL test copy"'; exit 0; }
out=${DEVICE_URI#ptlcopy:}
if [ $# -ge 6 ]; then cat "$6"; else cat; fi >"$out.part" || exit 1
printf '%s %s' "$1" "$3" >"$out.job"
mv "$out.part" "$out"
EOF
    chmod 0700 "$dir/bin/backend/ptlcopy"
    cat >"$dir/conf/cups-files.conf" <<EOF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerBin $dir/bin
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice No
EOF
    cat >"$dir/conf/cupsd.conf" <<EOF
Listen $sock
LogLevel warn
Browsing No
DefaultShared No
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
EOF
    setsid cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
        </dev/null >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"
    for _ in $(seq 1 200); do
        [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ] && break
        sleep 0.05
    done
    [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ] ||
        { cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null; stop; exit 1; }
    add "$@"
    [ $# -eq 0 ] || lpadmin -d "${!#}"
    ;;
add) add "$@" ;;
reject) cupsreject "$1" ;;
stop) stop ;;
*) echo "usage: $0 start|add|reject|stop <dir> [queue...]" >&2; exit 2 ;;
esac
