# Shared by the benchmark scripts (sourced): the Wine environment, one measured run, and the statistics.
# On a small shared machine one run of the same program can take twice as long as the next, so every
# script measures in interleaved rounds and reports the median of the per-round ratios (the programs of
# one round saw the same machine) beside the ratio of the best times.

# What the script wants done at exit besides stopping the desktop (set by the script).
bench_on_exit=:
bench_exit() {
    eval "$bench_on_exit"
    [ -z "${bench_desktop:-}" ] || kill "$bench_desktop" 2>/dev/null || true
}

# Prepares the prefix and keeps a desktop running for the benchmark. Without a display, Wine starts a
# desktop process for the first window of every process, which fails and ends with it: a rawpush run
# (whose library start-up creates a window) would pay for that start on a second core while the loop
# it is compared with would not. On Windows the desktop is always there.
bench_wine_env() { # <root> <build dir>
    "$1/scripts/wine-prefix.sh" "$2"
    export WINEPREFIX="$2/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    trap bench_exit EXIT
    if [ "${BENCH_DESKTOP:-1}" = 1 ]; then
        setsid wine explorer.exe /desktop </dev/null >/dev/null 2>&1 &
        bench_desktop=$!
    fi
}

bench_start_sim() { # <work dir> <simulator options...>: the network printer simulator in the background
    # (its pid in $sim, its output in <work dir>/sim.out), once it listens; a simulator that does not start
    # ends the script.
    wine "$bin/netprinter-sim.exe" "${@:2}" </dev/null >"$1/sim.out" 2>&1 &
    sim=$!
    for _ in $(seq 200); do
        grep -q listening "$1/sim.out" 2>/dev/null && return 0
        sleep 0.05
    done
    echo "simulator did not start:" >&2
    cat "$1/sim.out" >&2
    exit 1
}

bench_run() { # <program> [args...]: prints "<wall_ms> <peak_kib>" of one run; a failed run ends the script
    local out ms peak
    out=$(wine "$bin/bench_launch.exe" "$@" </dev/null 2>/dev/null | tr -d '\r')
    [ "${out##*exit=}" = 0 ] || { echo "run failed: $*: $out" >&2; exit 1; }
    ms=${out#wall_ms=}
    peak=${out#*peak_kib=}
    echo "${ms%% *} ${peak%% *}"
}

bench_ratio() { # <baseline ms> <measured ms>: throughput of the measured program relative to the baseline
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0 ? a / b : 0) }'
}

bench_median() { # <number>...
    printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

bench_min() { # <number>...
    printf '%s\n' "$@" | sort -g | head -n 1
}
