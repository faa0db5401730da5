#!/usr/bin/env bash
# Builds an optimised tree and prints every benchmark figure, each against its
# yardstick measured in the same run, as a Markdown table.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_BENCH_BUILD_DIR:-$root/build-bench}

"$root/scripts/install-packages.sh" flac valgrind
TIVRA_BUILD_DIR=$build "$root/scripts/setup.sh" -DCMAKE_BUILD_TYPE=Release -DTIVRA_BENCH=ON \
    -DBUILD_TESTING=OFF >/dev/null
"$build/bench/tivra_bench"
