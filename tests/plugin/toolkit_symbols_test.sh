#!/usr/bin/env bash
# tivra.so asks of the toolkit only what the box's toolkit has: every
# undefined symbol of a toolkit class (or of boxsim itself) must be on the
# allow-list, so nothing that only boxsim offers can creep in.
# usage: toolkit_symbols_test.sh TIVRA_SO ALLOWLIST
set -euo pipefail
so=$1
allowlist=$2

# Demangled, parameters dropped: "eWidget::move(ePoint const&)" -> "eWidget::move".
used=$(nm -u -C "$so" | sed 's/^ *[Uw] //' |
    grep -E '^((vtable|typeinfo|typeinfo name|VTT|construction vtable) for )?(e[A-Z][A-Za-z]*(<[^>]*>)?(::|$)|boxsim)' |
    sed 's/(.*//' | sort -u)
allowed=$(grep -v -E '^(#|$)' "$allowlist" | sort -u)
extra=$(comm -23 <(echo "$used") <(echo "$allowed"))

echo "toolkit symbols used: $(echo "$used" | grep -c .)"
if [ -n "$extra" ]; then
    echo "FAILED: tivra.so needs toolkit symbols the box's toolkit does not have:"
    echo "$extra"
    echo "0 passed, 1 failed"
    exit 1
fi
echo "1 passed, 0 failed"
