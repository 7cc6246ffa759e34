#!/usr/bin/env bash
# Writes samples/job.bin: a short ESC/POS-style receipt (init, text, feed, full cut).
set -euo pipefail
out="$(dirname "$0")/job.bin"
{
    printf '\x1b\x40'                     # ESC @   initialise
    printf '\x1b\x61\x01'                 # ESC a 1 centre
    printf '\x1b\x21\x30PTL DEMO\n'       # ESC ! 0x30 double size
    printf '\x1b\x21\x00'                 # ESC ! 0 normal
    printf 'rawpush sample receipt\n'
    printf '\x1b\x61\x00'                 # ESC a 0 left
    printf 'Coffee            2.50\n'
    printf 'Bagel             1.80\n'
    printf '%s\n' '----------------------'
    printf 'TOTAL             4.30\n'
    printf '\n\n\n'
    printf '\x1d\x56\x00'                 # GS V 0  full cut
} >"$out"
echo "wrote $out ($(stat -c %s "$out") bytes)"
