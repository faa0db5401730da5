#!/usr/bin/env bash
# Builds everything and runs the whole test suite four times: a plain build,
# AddressSanitizer with UndefinedBehaviorSanitizer (leaks included),
# ThreadSanitizer, and the box's own build (PowerPC) under emulation.
# TIVRA_TEST_QUICK=1 runs the plain build only.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_BUILD_DIR:-$root/build}

run_suite() { # build-dir [cmake options]
    local dir=$1
    shift
    echo "== $(basename "$dir") $*"
    TIVRA_BUILD_DIR=$dir "$root/scripts/setup.sh" "$@" >/dev/null
    ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
}

run_suite "$build"
if [ "${TIVRA_TEST_QUICK:-0}" != 1 ]; then
    run_suite "$build-address" -DTIVRA_SANITIZE=address
    run_suite "$build-thread" -DTIVRA_SANITIZE=thread
    TIVRA_PPC_BUILD_DIR="$build-ppc" "$root/scripts/box-build.sh"
fi
