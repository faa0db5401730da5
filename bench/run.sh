#!/usr/bin/env bash
# Builds an optimised tree and prints every benchmark figure, each against its
# yardstick measured in the same run, as a Markdown table.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_BENCH_BUILD_DIR:-$root/build-bench}

missing=()
for p in flac valgrind; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
TIVRA_BUILD_DIR=$build "$root/scripts/setup.sh" -DCMAKE_BUILD_TYPE=Release -DTIVRA_BENCH=ON \
    -DBUILD_TESTING=OFF >/dev/null
"$build/bench/tivra_bench"
