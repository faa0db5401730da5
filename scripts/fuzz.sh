#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan and UBSan on) and fuzzes each
# for SECONDS (default 30, so about a minute in all), starting from corpora
# our own code writes. Findings land in build-fuzz/findings/; a finding makes
# the script fail.
# usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-30}

packages=(clang libclang-rt-14-dev cmake make pkg-config libflac-dev libsigc++-2.0-dev)
"$root/scripts/install-packages.sh" "${packages[@]}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DBUILD_TESTING=OFF -DBOXSIM_WITH_TERMINAL=OFF \
    -DBOXSIM_WITH_ALSA=OFF -DTIVRA_SANITIZE=fuzzer -DTIVRA_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target decode_run_fuzzer listing_fuzzer make_seeds >/dev/null

mkdir -p "$build/corpus" "$build/findings"
"$build/tests/fuzz/make_seeds" "$build/corpus/decode" "$build/corpus/listing"
status=0
for target in decode_run listing; do
    echo "== ${target}_fuzzer for ${seconds} s"
    log="$build/findings/${target}.log"
    if ! "$build/tests/fuzz/${target}_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/findings/${target}-" "$build/corpus/${target/decode_run/decode}" \
        >"$log" 2>&1; then
        status=1
        echo "finding: see $log"
    fi
    grep -E "stat::number_of_executed_units|stat::average_exec_per_sec|cov:" "$log" | tail -3
done
exit $status
