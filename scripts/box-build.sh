#!/usr/bin/env bash
# Builds the whole system for the box (32-bit big-endian PowerPC Linux), runs
# the whole test suite on it under qemu-ppc, and makes the package a box
# owner installs: build-ppc/tivra_0.0.1_powerpc.ipk.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_PPC_BUILD_DIR:-$root/build-ppc}

prefix=$("$root/scripts/ppc-deps.sh" | tail -n 1)
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/powerpc-linux-gnu.cmake" \
    -DTIVRA_PPC_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
echo "== $(basename "$build") (powerpc, under qemu-ppc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
"$root/scripts/make-ipk.sh" "$build" powerpc 0.0.1 "$build"
