#!/usr/bin/env bash
# Every benchmark, under one Wine, printed as one Markdown table: each rawpush figure beside its fair
# baseline (a minimal program doing the same in the same block size) and beside the loop with the best
# block size, with the goal it is held against.
#   bench/run.sh [--quick] [build dir]      (default build/win32, configured; builds what it needs)
# Default: RUNS=9 interleaved rounds, 256 MiB jobs; --quick: 3 rounds, 64 MiB. Never run by the tests.
#
# Placement: the build's wineserver is restarted pinned to one CPU with taskset, and every Wine process
# (rawpush, the loops, the desktop process) runs on that CPU; the native receiver runs on another CPU.
# The simulator rows use netprinter-sim (a Wine program) as the receiver, also on the other CPU. The
# script stops the build's Wine at the end. It sends to 127.13.0.x and holds UDP 3289 on this host while
# the network rows run: on a shared host run it under the host's network lock.
#
# On a small shared machine one run of the same program can take twice as long as the next, so every
# figure is measured in rounds that run all programs of a row back to back; a ratio is taken inside each
# round and reported as the median with the lowest and highest round beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quick=0
if [ "${1:-}" = --quick ]; then
    quick=1
    shift
fi
build=$(cd "${1:-$root/build/win32}" && pwd)
if [ $quick = 1 ]; then rounds=${RUNS:-3} mib=64; else rounds=${RUNS:-9} mib=256; fi
bin="$build/bin"
work="$build/bench-work"
sink_ip=127.13.0.3 stall_ip=127.13.0.4 sim_ip=127.13.0.2

cmake --build "$build" --target rawpush ptl netprinter-sim bench_copyloop bench_copyloop_dlls bench_launch \
    bench_netsend bench_ring bench_serialloop bench_spoolloop bench_queuecall bench_netsoak bench_usbpipe >/dev/null
rm -rf "$work"
mkdir -p "$work"
c++ -O2 -std=c++17 -I "$root/ptl" "$root/bench/sink.cpp" "$root/ptl/net/KnpcFrame.cpp" -o "$work/sink" -pthread
c++ -O2 -std=c++17 "$root/bench/ttyread.cpp" -o "$work/ttyread"
head -c $((mib << 20)) /dev/urandom >"$work/big.bin"
head -c $((16 << 20)) /dev/urandom >"$work/small.bin"
head -c 1 /dev/urandom >"$work/one.bin"
head -c 4096 /dev/urandom >"$work/block.bin"
# The USB program holds the whole job twice in its 32-bit address space (the file and what the reader got).
usb_mib=$((mib < 64 ? mib : 64))
head -c $((usb_mib << 20)) "$work/big.bin" >"$work/usb.bin"

# ---- placement and Wine --------------------------------------------------------------------------------
cpus=$(nproc)
if [ "$cpus" -ge 2 ] && command -v taskset >/dev/null; then
    wine_cpu=0 recv_cpu=1
    placement="Wine processes (wineserver, rawpush, loops, desktop) pinned to CPU $wine_cpu with taskset;"
    placement+=" the native receiver and the simulator on CPU $recv_cpu"
    wine_pin=(taskset -c $wine_cpu) recv_pin=(taskset -c $recv_cpu)
else
    placement="not pinned (fewer than 2 CPUs or no taskset)"
    wine_pin=() recv_pin=()
fi

export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
helpers=()
pty_dir="$work/pty" com=27 peer=28 cups_dir="$work/cups"
cleanup() {
    for p in "${helpers[@]}"; do kill "$p" 2>/dev/null || true; done
    [ ! -d "$pty_dir" ] || "$root/tests/sim/pty-pair.sh" stop "$pty_dir" "$WINEPREFIX" $com $peer
    [ ! -d "$cups_dir" ] || "$root/tests/sim/cups.sh" stop "$cups_dir"
    "$root/scripts/wine-stop.sh" "$build"
    rm -rf "$work"
}
trap cleanup EXIT
"$root/scripts/wine-stop.sh" "$build"
"${wine_pin[@]}" "$root/scripts/wine-prefix.sh" "$build" >/dev/null
# Windows always has a desktop; without a display Wine starts a desktop process for the first window
# class of a process and ends it a second after. The warm rows keep one running; the cold rows run on a
# new desktop each time (bench_launch -desktop), which has none yet.
desktops() { # the desktop processes of this prefix
    local p
    for p in $(pgrep -x explorer.exe || true); do
        { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"
    done
}
wait_desktops_gone() { # <pid to keep>: waits up to 10 s for the others to end
    for _ in $(seq 100); do
        [ -z "$(desktops | grep -vx "${1:-}")" ] && return
        sleep 0.1
    done
}
# A desktop process started while another still runs for the same desktop ends at once: let the one that
# the prefix's start-up may have caused end first, then start ours and see that it stays.
wait_desktops_gone
"${wine_pin[@]}" setsid wine explorer.exe /desktop </dev/null >/dev/null 2>&1 &
starter=$!
helpers+=("$starter")
# The desktop process leaves its starter's process tree but stays in the session that setsid made.
warm_desktop=
for _ in $(seq 100); do
    warm_desktop=$(pgrep -s "$starter" -x explorer.exe | head -n 1 || true)
    [ -z "$warm_desktop" ] || break
    sleep 0.1
done
sleep 2
[ -n "$warm_desktop" ] && [ -d "/proc/$warm_desktop" ] || { echo "the desktop process did not start" >&2; exit 1; }
helpers+=("$warm_desktop")

# One run through bench_launch: sets run_ms and run_peak (KiB); a failed run ends the script.
launch() {
    local out
    out=$("${wine_pin[@]}" wine "$bin/bench_launch.exe" "$@" </dev/null 2>/dev/null | tr -d '\r')
    [ "${out##*exit=}" = 0 ] || { echo "run failed: $*: $out" >&2; exit 1; }
    run_ms=${out#wall_ms=} run_peak=${out#*peak_kib=}
    run_ms=${run_ms%% *} run_peak=${run_peak%% *}
}

# ---- statistics ----------------------------------------------------------------------------------------
# "<median> <lowest> <highest>" of the numbers given.
stats() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%s %s %s", m, v[1], v[NR] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", (b > 0 ? a / b : 0) }'; }
median() { set -- $(stats "$@"); echo "$1"; }
mbs() { awk -v ms="$1" -v mib="$mib" 'BEGIN { printf "%.0f MB/s", (ms > 0 ? mib * 1048576 / ms / 1000 : 0) }'; }
# "0.98 (0.95-1.00)" from per-round ratios, with the format given (%.2f, %.1fx ...).
spread() {
    local f=$1
    shift
    set -- $(stats "$@")
    awk -v f="$f" -v m="$1" -v lo="$2" -v hi="$3" 'BEGIN { printf f " (" f "-" f ")", m, lo, hi }'
}
# yes/no: is the median <op> goal?
met() {
    local m
    m=$(median "${@:3}")
    awk -v m="$m" -v op="$1" -v g="$2" 'BEGIN { ok = op == ">=" ? m >= g : m <= g; print ok ? "yes" : "**no**" }'
}
# Progress on the error stream, so that the table alone goes to the standard output.
note() { echo "bench: $SECONDS s: $*" >&2; }
table=()
row() { table+=("| $1 | $2 | $3 | $4 | $5 | $6 |"); }

# ---- network -------------------------------------------------------------------------------------------
stop() { # ends a helper and waits for it, so that its ports are free again
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
start_sink() { # <ip> [sink options]: sets sink_pid; output in $work/sink-<ip>.out
    "${recv_pin[@]}" "$work/sink" "$@" >"$work/sink-$1.out" 2>&1 &
    sink_pid=$!
    helpers+=("$sink_pid")
    for _ in $(seq 100); do
        grep -q listening "$work/sink-$1.out" && return
        sleep 0.05
    done
    echo "receiver did not start: $(cat "$work/sink-$1.out")" >&2
    exit 1
}
# Every job of <bytes> a receiver's output lists must have arrived whole: <output> <jobs> <bytes>.
check_jobs() {
    local whole
    whole=$(grep -E "^job [0-9]+: $3 bytes" "$1" | grep -cvE "cut short|reset|failed" || true)
    [ "$whole" = "$2" ] || { echo "only $whole of $2 jobs of $3 bytes arrived whole ($1)" >&2; exit 1; }
}

# The rows of a port kind from the per-round times (ms) of its runs: <target> <where> <loop>, then the
# names of the arrays <4 KiB loop> <64 KiB loop> <rawpush> [<rawpush -a>]. Synchronous rawpush is held
# against the loop of its own block size, rawpush -a against the loop of the best block size.
kind_rows() {
    local what=$1 where=$2 loop=$3 i s4=() s64=() a4=() a64=()
    local -n t4=$4 t64=$5 ts=$6
    for i in "${!ts[@]}"; do
        s4+=("$(ratio "${t4[i]}" "${ts[i]}")") s64+=("$(ratio "${t64[i]}" "${ts[i]}")")
    done
    local ms4 ms64 mss
    ms4=$(median "${t4[@]}") ms64=$(median "${t64[@]}") mss=$(median "${ts[@]}")
    row "\`rawpush${what:+ $what}\`$where" "$(mbs "$mss")" "4 KiB $loop $(mbs "$ms4")" \
        "$(spread %.2f "${s4[@]}")" "≥ 0.95" "$(met ">=" 0.95 "${s4[@]}")"
    row "\`rawpush${what:+ $what}\`$where" "$(mbs "$mss")" "64 KiB $loop $(mbs "$ms64")" \
        "$(spread %.2f "${s64[@]}")" "(best block)" ""
    [ $# -gt 6 ] || return 0
    local -n ta=$7
    for i in "${!ta[@]}"; do
        a4+=("$(ratio "${t4[i]}" "${ta[i]}")") a64+=("$(ratio "${t64[i]}" "${ta[i]}")")
    done
    local msa
    msa=$(median "${ta[@]}")
    row "\`rawpush -a $what\`$where" "$(mbs "$msa")" "64 KiB $loop $(mbs "$ms64")" \
        "$(spread %.2f "${a64[@]}")" "≥ 0.8" "$(met ">=" 0.8 "${a64[@]}")"
    row "\`rawpush -a $what\`$where" "$(mbs "$msa")" "4 KiB $loop $(mbs "$ms4")" \
        "$(spread %.2f "${a4[@]}")" "" ""
}

# Start-up apart: a 1-byte job of each program in the same round shows its fixed cost; the large job's time
# less that cost is the time its bytes took. <target> <where> <loop> <loop, large> <loop, 1 byte>
# <rawpush, large> <rawpush, 1 byte>, the last four array names.
startup_rows() {
    local what=$1 where=$2 loop=$3 i up=() r=() lb=() pb=()
    local -n tl=$4 tl1=$5 tp=$6 tp1=$7
    for i in "${!tp[@]}"; do
        up+=("$((tp1[i] - tl1[i]))") lb+=("$((tl[i] - tl1[i]))") pb+=("$((tp[i] - tp1[i]))")
        r+=("$(ratio "${lb[-1]}" "${pb[-1]}")")
    done
    row "\`rawpush${what:+ $what}\`$where: start-up (1-byte job)" "$(median "${tp1[@]}") ms" \
        "1-byte job of the 4 KiB $loop $(median "${tl1[@]}") ms" "+$(spread "%.0f ms" "${up[@]}")" "" ""
    row "\`rawpush${what:+ $what}\`$where, each program's 1-byte job time subtracted" \
        "$(mbs "$(median "${pb[@]}")")" "4 KiB $loop, the same $(mbs "$(median "${lb[@]}")")" \
        "$(spread %.2f "${r[@]}")" "(start-up apart)" ""
}

net_rows() { # <ip> <receiver text> <receiver output>
    local ip=$1 l4=() l64=() s=() a=() l1=() s1=()
    for _ in $(seq "$rounds"); do
        launch "$bin/bench_netsend.exe" "$work/big.bin" "$ip" 4096 && l4+=("$run_ms")
        launch "$bin/bench_netsend.exe" "$work/big.bin" "$ip" 65536 && l64+=("$run_ms")
        launch "$bin/rawpush.exe" "$work/big.bin" "VQNET@$ip" && s+=("$run_ms")
        launch "$bin/rawpush.exe" -a "$work/big.bin" "VQNET@$ip" && a+=("$run_ms") net_peak=$run_peak
        launch "$bin/bench_netsend.exe" "$work/one.bin" "$ip" 4096 && l1+=("$run_ms")
        launch "$bin/rawpush.exe" "$work/one.bin" "VQNET@$ip" && s1+=("$run_ms")
    done
    check_jobs "$3" $((4 * rounds)) $((mib << 20))
    check_jobs "$3" $((2 * rounds)) 1
    kind_rows "VQNET@" " → $2" "send loop" l4 l64 s a
    startup_rows "VQNET@" " → $2" "send loop" l4 l1 s s1
}

note "network, native receiver"
start_sink $sink_ip
net_rows $sink_ip "native receiver" "$work/sink-$sink_ip.out"

# A short -a job: the release must return as soon as the queue is empty. rawpush's "Total Time" covers the
# send and the release; the synchronous run of the same 4 KiB is the baseline.
total_ms() { # sets run_ms from rawpush's own "Total Time = s.mmm sec"
    local t
    t=$("${wine_pin[@]}" wine "$bin/rawpush.exe" "$@" </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^Total Time = //p')
    [ -n "$t" ] || { echo "run failed: rawpush $*" >&2; exit 1; }
    run_ms=$(awk -v t="${t% sec}" 'BEGIN { printf "%.0f", t * 1000 }')
}
note "short -a jobs"
short_a=() short_s=() short_d=()
for _ in $(seq "$rounds"); do
    total_ms "$work/block.bin" "VQNET@$sink_ip" && short_s+=("$run_ms")
    total_ms -a "$work/block.bin" "VQNET@$sink_ip" && short_a+=("$run_ms")
    short_d+=("$((short_a[-1] - short_s[-1]))")
done
check_jobs "$work/sink-$sink_ip.out" $((2 * rounds)) 4096
row "short \`-a\` job (4 KiB → native receiver): send + release" "$(median "${short_a[@]}") ms" \
    "the same job synchronous $(median "${short_s[@]}") ms" "+$(spread "%.0f ms" "${short_d[@]}")" \
    "≤ +5 ms" "$(met "<=" 5 "${short_d[@]}")"

# One 4 KiB PtlSend of a threaded network port, with its send thread waiting (the call must wake it) and
# already woken, and a plain blocking send() beside them (bench/queuecall.cpp).
note "queued send calls"
q_asleep=() q_awake=() q_send=() q_ra=() q_rs=()
for _ in $(seq "$rounds"); do
    out=$("${wine_pin[@]}" wine "$bin/bench_queuecall.exe" $sink_ip 200 </dev/null 2>/dev/null | tr -d '\r')
    [[ $out =~ asleep_us=([0-9.]+)\ awake_us=([0-9.]+)\ send_us=([0-9.]+) ]] ||
        { echo "run failed: bench_queuecall: $out" >&2; exit 1; }
    q_asleep+=("${BASH_REMATCH[1]}") q_awake+=("${BASH_REMATCH[2]}") q_send+=("${BASH_REMATCH[3]}")
    q_ra+=("$(ratio "${q_asleep[-1]}" "${q_awake[-1]}")") q_rs+=("$(ratio "${q_asleep[-1]}" "${q_send[-1]}")")
done
check_jobs "$work/sink-$sink_ip.out" "$rounds" $((200 * 8 * 4096))
check_jobs "$work/sink-$sink_ip.out" "$rounds" $((200 * 4096))
queued="one 4 KiB \`PtlSend\` of \`-a VQNET@\` → native receiver, send thread waiting"
row "$queued" "$(median "${q_asleep[@]}") µs" \
    "the same call with the thread already woken $(median "${q_awake[@]}") µs" \
    "$(spread %.0f× "${q_ra[@]}")" "(wake-up cost)" ""
row "$queued" "$(median "${q_asleep[@]}") µs" \
    "one blocking 4 KiB \`send()\` after the same pause $(median "${q_send[@]}") µs" \
    "$(spread %.2f× "${q_rs[@]}")" "" ""
stop "$sink_pid"

# CPU while stalled: the receiver stops reading for 4 s after 1 MiB of a 64 MiB -a job; the CPU time of
# rawpush (all its threads) and of the wineserver is sampled over 2 s inside the stall.
cpu_ns() { # CPU time of the given processes' threads, in ns
    local p t x sum=0
    for p in "$@"; do
        for t in /proc/"$p"/task/*/schedstat; do
            read -r x _ <"$t" 2>/dev/null && sum=$((sum + x))
        done
    done
    echo $sum
}
server_pid() { # this prefix's wineserver: its working folder is named after the prefix's device and inode
    local dir p
    dir=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
    for p in $(pgrep wineserver || true); do
        case $(readlink "/proc/$p/cwd" 2>/dev/null) in */"$dir") echo "$p" ;; esac
    done
}
note "stalled receiver"
start_sink $stall_ip --stall-after $((1 << 20)) --stall-ms 8000
head -c $((64 << 20)) /dev/urandom >"$work/stall.bin"
"${wine_pin[@]}" wine "$bin/rawpush.exe" -a "$work/stall.bin" "VQNET@$stall_ip" </dev/null >/dev/null 2>&1 &
stall_push=$!
for _ in $(seq 200); do
    grep -q "stall begin" "$work/sink-$stall_ip.out" && break
    sleep 0.05
done
sleep 1
server=$(server_pid)
# Six seconds, so that a periodic task of the wineserver (it saves the registry now and then) weighs what
# it weighs over time rather than filling a short window.
c0=$(cpu_ns $stall_push $server) t0=$(date +%s%N)
sleep 6
c1=$(cpu_ns $stall_push $server) t1=$(date +%s%N)
wait $stall_push
check_jobs "$work/sink-$stall_ip.out" 1 $((64 << 20))
stall_cpu=$(awk -v c=$((c1 - c0)) -v t=$((t1 - t0)) 'BEGIN { printf "%.2f", 100 * c / t }')
stop "$sink_pid"

note "network, simulator"
# The simulator as the receiver (it and the native receiver cannot both hold UDP 3289 under Wine).
"${recv_pin[@]}" wine "$bin/netprinter-sim.exe" --address $sim_ip --discard --quiet --lifetime 3600 \
    </dev/null >"$work/sim.out" 2>&1 &
sim_pid=$!
helpers+=("$sim_pid")
for _ in $(seq 200); do
    grep -q listening "$work/sim.out" 2>/dev/null && break
    sleep 0.05
done
grep -q listening "$work/sim.out" || { echo "simulator did not start: $(cat "$work/sim.out")" >&2; exit 1; }
net_rows $sim_ip "simulator" "$work/sim.out"
stop "$sim_pid"

note "soak"
# 1 GiB through `rawpush -a` to the simulator while its reader pauses 300 ms every 64 MiB; whole by hash.
soak_start=$SECONDS
if "${wine_pin[@]}" wine "$bin/bench_netsoak.exe" </dev/null 2>&1 | tr -d '\r' | grep -q '^\[  PASSED  \] 1 test'; then
    soak=whole
else
    soak="**not whole**"
fi
row "1 GiB \`-a\` job to the simulator with a stalling reader" "$soak in $((SECONDS - soak_start)) s" "" "" \
    "arrives whole" "$([ "$soak" = whole ] && echo yes || echo '**no**')"

# ---- serial line -------------------------------------------------------------------------------------
# COM27 is one end of a pty pair (tests/sim/pty-pair.sh, its relay on the receiver's CPU), read at the other
# end by a native program there. A pty moves bytes as fast as it is read, whatever the line's rate.
note "serial line"
"${recv_pin[@]}" "$root/tests/sim/pty-pair.sh" start "$pty_dir" "$WINEPREFIX" $com $peer
"${recv_pin[@]}" "$work/ttyread" "$pty_dir/B" >"$work/tty.out" 2>&1 &
helpers+=("$!")
for _ in $(seq 100); do
    grep -q listening "$work/tty.out" && break
    sleep 0.05
done
c4=() c64=() cs=() ca=()
for _ in $(seq "$rounds"); do
    launch "$bin/bench_serialloop.exe" "$work/big.bin" COM$com 115200 4096 && c4+=("$run_ms")
    launch "$bin/bench_serialloop.exe" "$work/big.bin" COM$com 115200 65536 && c64+=("$run_ms")
    launch "$bin/rawpush.exe" -b1152 "$work/big.bin" COM$com && cs+=("$run_ms")
    launch "$bin/rawpush.exe" -a -b1152 "$work/big.bin" COM$com && ca+=("$run_ms")
done
# The line has no jobs: every byte of every run must have arrived once the reader has seen it quiet.
want=$((4 * rounds * (mib << 20)))
for _ in $(seq 300); do
    [ "$(sed -n 's/^total //p' "$work/tty.out" | tail -n 1)" = "$want" ] && break
    sleep 0.1
done
[ "$(sed -n 's/^total //p' "$work/tty.out" | tail -n 1)" = "$want" ] ||
    { echo "the serial line's reader saw $(tail -n 1 "$work/tty.out"), not $want bytes" >&2; exit 1; }
kind_rows "-b1152 COM$com" " → pty, native reader" "write loop (same line settings)" c4 c64 cs ca

# ---- spooler -------------------------------------------------------------------------------------------
# A CUPS scheduler of the script's own (tests/sim/cups.sh, on the receiver's CPU) with one raw queue, the
# default printer; Wine hands it the job at the document's end. Each job must land whole before the next
# run, and the scheduler's copies are purged so that the runs do not fill the disk.
note "spooler"
export CUPS_SERVER="$cups_dir/cups.sock"
"${recv_pin[@]}" "$root/tests/sim/cups.sh" start "$cups_dir" ptl-bench
landed() { # the job just run reached the queue's device whole
    local f="$cups_dir/out/ptl-bench"
    for _ in $(seq 600); do
        [ -z "$(lpstat -o ptl-bench 2>/dev/null)" ] && [ -f "$f" ] && break
        sleep 0.05
    done
    cmp -s "$work/big.bin" "$f" || { echo "the spooler's job differs from its input" >&2; exit 1; }
    rm -f "$f" "$f.job"
    PATH=$PATH:/usr/sbin:/sbin cancel -a -x ptl-bench 2>/dev/null || true
}
p4=() p64=() ps=()
for _ in $(seq "$rounds"); do
    launch "$bin/bench_spoolloop.exe" "$work/big.bin" ptl-bench 4096 && p4+=("$run_ms") && landed
    launch "$bin/bench_spoolloop.exe" "$work/big.bin" ptl-bench 65536 && p64+=("$run_ms") && landed
    launch "$bin/rawpush.exe" "$work/big.bin" SPOOLER && ps+=("$run_ms") && landed
done
"$root/tests/sim/cups.sh" stop "$cups_dir"
unset CUPS_SERVER
kind_rows SPOOLER " → CUPS raw queue" "RAW document loop" p4 p64 ps

# ---- file ----------------------------------------------------------------------------------------------
note "file"
f4=() f64=() fp=() f1=() fp1=()
for _ in $(seq "$rounds"); do
    launch "$bin/bench_copyloop.exe" "$work/big.bin" "$work/loop.out" 4096 && f4+=("$run_ms")
    launch "$bin/bench_copyloop.exe" "$work/big.bin" "$work/loop.out" 65536 && f64+=("$run_ms")
    launch "$bin/rawpush.exe" "$work/big.bin" "$work/push.out" && fp+=("$run_ms") file_peak=$run_peak
    launch "$bin/bench_copyloop.exe" "$work/one.bin" "$work/one.out" 4096 && f1+=("$run_ms")
    launch "$bin/rawpush.exe" "$work/one.bin" "$work/one.out" && fp1+=("$run_ms")
done
cmp -s "$work/big.bin" "$work/push.out" || { echo "rawpush's file differs from its input" >&2; exit 1; }
launch "$bin/rawpush.exe" "$work/small.bin" "$work/push.out" && small_peak=$run_peak
kind_rows "" " → file" "copy loop" f4 f64 fp
startup_rows "" " → file" "copy loop" f4 f1 fp fp1

# ---- USB (simulated driver, in-process) ----------------------------------------------------------------
# bench/usbpipe.cpp: the tests' device lookup and driver installed through the seam in the program's own
# process; the driver's data path is a real named pipe read by the simulator's thread of that process,
# which must get every byte. rawpush's calls and a plain write loop on the same pipe fill it; each run
# reports the time from the open to the last byte read.
note "USB, simulated driver"
usb_ms() { # <bench_usbpipe arguments>: sets run_ms
    local out
    out=$("${wine_pin[@]}" wine "$bin/bench_usbpipe.exe" "$@" </dev/null 2>&1 | tr -d '\r')
    [[ $out =~ seconds=([0-9.]+)\ bytes=$((usb_mib << 20)) ]] || { echo "run failed: bench_usbpipe $*: $out" >&2; exit 1; }
    run_ms=$(awk -v s="${BASH_REMATCH[1]}" 'BEGIN { printf "%.1f", s * 1000 }')
}
u4=() u64=() us=() ua=()
for _ in $(seq "$rounds"); do
    usb_ms loop "$work/usb.bin" 4096 && u4+=("$run_ms")
    usb_ms loop "$work/usb.bin" 65536 && u64+=("$run_ms")
    usb_ms port "$work/usb.bin" VQUSB0 0 && us+=("$run_ms")
    usb_ms port "$work/usb.bin" VQUSB0 1 && ua+=("$run_ms")
done
usb_rows() { # the rates in this section's job size
    local mib=$usb_mib
    kind_rows VQUSB0 " → simulated driver, in-process ($usb_mib MiB jobs, rawpush's calls)" "pipe write loop" \
        u4 u64 us ua
}
usb_rows

# ---- 1-byte jobs ---------------------------------------------------------------------------------------
note "1-byte jobs"
w_loop=() w_win=() w_push=() c_loop=() c_win=() c_push=()
wr=() wf=() cr=() cf=()
n=0
for _ in $(seq "$rounds"); do
    launch "$bin/bench_copyloop.exe" "$work/one.bin" "$work/one.out" && w_loop+=("$run_ms")
    launch "$bin/bench_copyloop_dlls.exe" "$work/one.bin" "$work/one.out" && w_win+=("$run_ms")
    launch "$bin/rawpush.exe" "$work/one.bin" "$work/one.out" && w_push+=("$run_ms")
    wr+=("$(ratio "${w_push[-1]}" "${w_loop[-1]}")") wf+=("$(ratio "${w_push[-1]}" "${w_win[-1]}")")
    launch "$bin/bench_copyloop.exe" "$work/one.bin" "$work/one.out" && c_loop+=("$run_ms")
    launch -desktop=bench$((n += 1)) "$bin/bench_copyloop_dlls.exe" "$work/one.bin" "$work/one.out" &&
        c_win+=("$run_ms")
    wait_desktops_gone "$warm_desktop"
    launch -desktop=bench$((n += 1)) "$bin/rawpush.exe" "$work/one.bin" "$work/one.out" && c_push+=("$run_ms")
    wait_desktops_gone "$warm_desktop"
    cr+=("$(ratio "${c_push[-1]}" "${c_loop[-1]}")") cf+=("$(ratio "${c_push[-1]}" "${c_win[-1]}")")
done
[ -d "/proc/$warm_desktop" ] || { echo "the desktop process ended during the warm runs" >&2; exit 1; }
cmp -s "$work/one.bin" "$work/one.out" || { echo "rawpush's 1-byte file differs from its input" >&2; exit 1; }
floor="copy loop that also starts sockets and makes the window"
row "1-byte job, desktop process running" "$(median "${w_push[@]}") ms" \
    "1-byte copy loop $(median "${w_loop[@]}") ms" "$(spread %.1f× "${wr[@]}")" "≤ 2×" "$(met "<=" 2 "${wr[@]}")"
row "1-byte job, desktop process running" "$(median "${w_push[@]}") ms" \
    "$floor $(median "${w_win[@]}") ms" "$(spread %.1f× "${wf[@]}")" "(platform floor)" ""
row "1-byte job, no desktop process (cold)" "$(median "${c_push[@]}") ms" \
    "1-byte copy loop $(median "${c_loop[@]}") ms" "$(spread %.1f× "${cr[@]}")" "≤ 3×" "$(met "<=" 3 "${cr[@]}")"
row "1-byte job, no desktop process (cold)" "$(median "${c_push[@]}") ms" \
    "$floor, cold $(median "${c_win[@]}") ms" "$(spread %.1f× "${cf[@]}")" "(platform floor)" ""

# ---- ring queue ----------------------------------------------------------------------------------------
note "ring queue"
# The win32 build is the product's code under Wine; a native build of the same source is shown beside it.
c++ -O2 -std=c++17 -I "$root/ptl" "$root/bench/ring.cpp" "$root/ptl/port/PortQueue.cpp" -o "$work/ring"
ring_rows() { # <text> <command...>
    local text=$1 out ring=() ring_mbs=() mem_mbs=() store=() store_mbs=()
    shift
    for _ in $(seq "$rounds"); do
        out=$("$@" </dev/null 2>/dev/null | tr -d '\r')
        ring+=("$(echo "$out" | sed -n 's/.* ratio=\([0-9.]*\).*/\1/p')")
        ring_mbs+=("$(echo "$out" | sed -n 's/.*ring_mbs=\([0-9]*\).*/\1/p')")
        mem_mbs+=("$(echo "$out" | sed -n 's/.*memcpy_mbs=\([0-9]*\).*/\1/p')")
        store+=("$(echo "$out" | sed -n 's/.*store_ratio=\([0-9.]*\).*/\1/p')")
        store_mbs+=("$(echo "$out" | sed -n 's/.*store_mbs=\([0-9]*\).*/\1/p')")
    done
    row "ring queue put + get, 4 KiB blocks, $text" "$(median "${ring_mbs[@]}") MB/s" \
        "one memcpy of the same bytes $(median "${mem_mbs[@]}") MB/s" "$(spread %.2f "${ring[@]}")" \
        "≥ 0.45 (two copies: 0.5 at most)" "$(met ">=" 0.45 "${ring[@]}")"
    row "ring queue put + get, 4 KiB blocks, $text" "$(median "${ring_mbs[@]}") MB/s" \
        "one memcpy into a store of the ring's size (256 KiB) $(median "${store_mbs[@]}") MB/s" \
        "$(spread %.2f "${store[@]}")" "(the store's cost apart)" ""
}
ring_rows "win32 build under Wine" "${wine_pin[@]}" wine "$bin/bench_ring.exe" $((mib * 4))
ring_rows "native build" "${wine_pin[@]}" "$work/ring" $((mib * 4))

# ---- memory and CPU ------------------------------------------------------------------------------------
kib_mib() { awk -v k="$1" 'BEGIN { printf "%.1f MiB", k / 1024 }'; }
row "peak working set of rawpush" "file: 16 MiB job $(kib_mib "$small_peak"), $mib MiB job $(kib_mib "$file_peak");" \
    "\`-a\` to the native receiver, $mib MiB job: $(kib_mib "$net_peak")" "" "flat with job size" \
    "$(awk -v a="$small_peak" -v b="$file_peak" 'BEGIN { print b <= a * 1.25 + 1024 ? "yes" : "**no**" }')"
row "CPU of \`rawpush -a\` and the wineserver while the receiver stalls" "$stall_cpu % of one CPU" \
    "(6 s sampled inside an 8 s stall)" "" "< 0.5 %" \
    "$(awk -v c="$stall_cpu" 'BEGIN { print c < 0.5 ? "yes" : "**no**" }')"

# ---- the table -----------------------------------------------------------------------------------------
echo "Measured $(date -u '+%Y-%m-%d') by \`bench/run.sh$([ $quick = 1 ] && echo ' --quick')\`: $rounds interleaved rounds," \
    "$mib MiB jobs, $(wine --version), $cpus CPUs ($(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1))."
echo "Placement: $placement."
echo "Throughput ratios are rawpush's throughput over the baseline's, time ratios (×) rawpush's time over the"
echo "baseline's; each is the median of the per-round ratios with the lowest and highest round in brackets."
echo
echo "| what | rawpush | baseline | ratio: median (range) | goal | met |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${table[@]}"

