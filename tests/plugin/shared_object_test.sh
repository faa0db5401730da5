#!/usr/bin/env bash
# tivra.so as the box loads it: finds libFLAC beside itself through its
# RUNPATH, and exports plugin_exec and nothing else.
# usage: shared_object_test.sh TIVRA_SO [ELF_CLASS ELF_DATA MACHINE]
set -euo pipefail
so=$1
failed=0
check() {
    if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: got '$2', want '$3'"; failed=1; fi
}

runpath=$(readelf -d "$so" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
check "RUNPATH" "$runpath" "/var/velmar/plugins"

exported=$(nm -D --defined-only "$so" | awk '{print $3}' | sort | tr '\n' ' ')
check "exported symbols" "$exported" "plugin_exec "

if [ $# -ge 4 ]; then
    header=$(readelf -h "$so")
    check "ELF class" "$(sed -n 's/ *Class: *//p' <<<"$header")" "$2"
    check "byte order" "$(sed -n 's/ *Data: *//p' <<<"$header")" "$3"
    check "machine" "$(sed -n 's/ *Machine: *//p' <<<"$header")" "$4"
fi

if [ $failed = 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
