#!/usr/bin/env bash
# Prints the Depends field of the box's package: the C library, C++ runtime
# and GCC runtime versions that the given shared objects need, read from the
# symbol versions they require (readelf reads any processor's ELF), so that
# opkg refuses a box whose firmware could not load them.
# usage: ipk-depends.sh FILE...
set -euo pipefail

needs=$(readelf --version-info --wide "$@" 2>/dev/null | grep -o 'Name: [A-Z]*_[0-9.]*' | cut -d' ' -f2)
newest() { grep "^$1_" <<<"$needs" | sed "s/^$1_//" | sort -V | tail -n 1; }

# The GCC release that first shipped each libstdc++ symbol version: opkg
# compares package versions, and the box's libstdc++6 carries GCC's.
gcc_for() {
    case $1 in
    GLIBCXX_3.4.[0-9] | GLIBCXX_3.4 | CXXABI_1.3 | CXXABI_1.3.[0-2]) echo 4.3 ;;
    GLIBCXX_3.4.1[0-9] | CXXABI_1.3.[3-7]) echo 4.8 ;;
    GLIBCXX_3.4.20 | CXXABI_1.3.8) echo 4.9 ;;
    GLIBCXX_3.4.21 | CXXABI_1.3.9) echo 5.1 ;;
    GLIBCXX_3.4.22 | CXXABI_1.3.10) echo 6.1 ;;
    GLIBCXX_3.4.2[34] | CXXABI_1.3.11) echo 7.2 ;;
    GLIBCXX_3.4.25) echo 8.1 ;;
    GLIBCXX_3.4.2[6-8] | CXXABI_1.3.12) echo 9.3 ;;
    GLIBCXX_3.4.29 | CXXABI_1.3.13) echo 11.1 ;;
    GLIBCXX_3.4.30) echo 12.1 ;;
    *)
        echo "ipk-depends: no GCC release known for $1; add it to scripts/ipk-depends.sh" >&2
        exit 1
        ;;
    esac
}

depends=()
libc=$(newest GLIBC)
[ -n "$libc" ] && depends+=("libc6 (>= $libc)")
cxx=""
for v in $(grep -E '^(GLIBCXX|CXXABI)_' <<<"$needs" | sort -u); do
    g=$(gcc_for "$v")
    cxx=$(printf '%s\n%s\n' "$cxx" "$g" | sed '/^$/d' | sort -V | tail -n 1)
done
[ -n "$cxx" ] && depends+=("libstdc++6 (>= $cxx)")
gcc=$(newest GCC)
[ -n "$gcc" ] && depends+=("libgcc1 (>= $gcc)")
(IFS=,; echo "${depends[*]}" | sed 's/,/, /g')
