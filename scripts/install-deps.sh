#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12. Idempotent; quick when all is present.
set -euo pipefail

packages=(
    # cross toolchain and build
    mingw-w64 g++-mingw-w64-i686-posix cmake ninja-build
    # Wine 8, 32-bit
    wine wine32:i386 wine64
    # tests: GoogleTest sources (cross) and prebuilt libraries (native), libFuzzer, peers
    googletest libgtest-dev libgmock-dev clang libclang-rt-14-dev socat python3
    # a real print spooler for the spooler port: CUPS, and the 32-bit client library Wine's winspool loads
    cups-daemon cups-client libcups2:i386
    # native benchmarks
    libbenchmark-dev
    # Windows installer (cpack NSIS)
    nsis
)

missing=()
for p in "${packages[@]}"; do
    if [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null)" != "ii " ]; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root (missing: ${missing[*]})" >&2; exit 1; }
    sudo=(sudo)
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
