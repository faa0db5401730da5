#!/usr/bin/env bash
# Builds optimised trees and prints every benchmark figure against its
# yardstick as one Markdown table: on this machine, then the box's row from
# the PowerPC build under qemu-ppc (the PowerPC libraries come from
# scripts/ppc-deps.sh, cached after the first time). BENCH_NO_BOX=1 leaves
# the box's row out. Arguments choose rows by name (bench/tivra_bench.cpp
# lists them; a name it does not have is refused with the list).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_BENCH_BUILD_DIR:-$root/build-bench}

"$root/scripts/install-packages.sh" flac valgrind
TIVRA_BUILD_DIR=$build "$root/scripts/setup.sh" -DCMAKE_BUILD_TYPE=Release -DTIVRA_BENCH=ON \
    -DBUILD_TESTING=OFF >/dev/null
"$build/bench/tivra_bench" "$@"

if [ "${BENCH_NO_BOX:-0}" != 1 ] && [ $# -eq 0 ]; then
    prefix=$("$root/scripts/ppc-deps.sh" | tail -n 1)
    cmake -S "$root" -B "$build-ppc" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/powerpc-linux-gnu.cmake" \
        -DTIVRA_PPC_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DTIVRA_BENCH=ON \
        -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$build-ppc" -j"$(nproc)" --target tivra_bench >/dev/null
    qemu-ppc /usr/powerpc-linux-gnu/lib/ld.so.1 \
        --library-path "/usr/powerpc-linux-gnu/lib:$prefix/lib" "$build-ppc/bench/tivra_bench" --box
fi
