#!/usr/bin/env bash
# Builds the libraries the PowerPC build needs (libFLAC and libsigc++ 2.0),
# for 32-bit big-endian PowerPC, from Debian's own source packages, into a
# cache outside the clone keyed by their versions. A second run finds them
# there and builds nothing. Prints the cache's prefix on its last line.
#
# The source packages need a deb-src entry: it goes in a file of its own,
# made from the first entry of debian.sources, and is removed afterwards.
set -euo pipefail

packages=(
    gcc-powerpc-linux-gnu g++-powerpc-linux-gnu qemu-user
    meson ninja-build m4 mm-common pkg-config dpkg-dev xz-utils make
    libflac-dev libsigc++-2.0-dev googletest
)
"$(dirname "${BASH_SOURCE[0]}")/install-packages.sh" "${packages[@]}"

cache_root=${TIVRA_PPC_CACHE:-/var/cache/tivra-ppc}
flac_version=$(dpkg-query -W -f='${Version}' libflac-dev)
sigc_version=$(dpkg-query -W -f='${Version}' libsigc++-2.0-dev)
# The recipe's own version: a change to how they are built makes a new entry.
recipe=2
prefix="$cache_root/flac-${flac_version}_sigc-${sigc_version}_r${recipe}"

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work=$(mktemp -d /tmp/tivra-ppc-deps-XXXXXX)
src_list=/etc/apt/sources.list.d/tivra-deb-src.sources
cleanup() {
    if [ -f "$src_list" ]; then
        rm -f "$src_list"
        apt-get update -qq || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The first stanza of debian.sources, as deb-src.
awk 'BEGIN { RS = ""; FS = "\n" } NR == 1 {
        for (i = 1; i <= NF; i++) {
            if ($i ~ /^#/) continue
            if ($i ~ /^Types:/) print "Types: deb-src"; else print $i
        }
    }' /etc/apt/sources.list.d/debian.sources >"$src_list"
apt-get update -qq

cd "$work"
apt-get source --download-only "flac=$flac_version" >/dev/null
# libsigc++-2.0's Debian part is not served; its upstream tarball is, and
# that is all we need, so apt's complaint about the rest is not fatal.
apt-get source --download-only "libsigc++-2.0=$sigc_version" >/dev/null 2>&1 || true
ls flac_*.orig.tar.* libsigc++-2.0_*.orig.tar.* >/dev/null

rm -rf "$prefix"
mkdir -p "$prefix"

# With unwind tables: a killed worker is unwound through libFLAC's frames
# (its read and write callbacks are where a kill finds it).
echo "ppc-deps: building libFLAC for powerpc" >&2
mkdir flac && tar -xf flac_*.orig.tar.* -C flac --strip-components=1
(cd flac && ./configure --host=powerpc-linux-gnu --prefix="$prefix" --disable-ogg \
    --disable-programs --disable-examples --disable-doxygen-docs --disable-cpplibs \
    CFLAGS="-O2 -fexceptions -fasynchronous-unwind-tables" >/dev/null &&
    make -j"$(nproc)" install >/dev/null)

echo "ppc-deps: building libsigc++ 2.0 for powerpc" >&2
mkdir sigc && tar -xf libsigc++-2.0_*.orig.tar.* -C sigc --strip-components=1
cat >cross.ini <<CROSS
[binaries]
c = 'powerpc-linux-gnu-gcc'
cpp = 'powerpc-linux-gnu-g++'
ar = 'powerpc-linux-gnu-ar'
strip = 'powerpc-linux-gnu-strip'
pkgconfig = 'pkg-config'

[host_machine]
system = 'linux'
cpu_family = 'ppc'
cpu = 'ppc'
endian = 'big'
CROSS
meson setup sigc-build sigc --cross-file cross.ini --prefix="$prefix" --libdir=lib \
    -Dmaintainer-mode=true -Dbuild-documentation=false -Dbuild-examples=false \
    -Dbuild-tests=false >/dev/null
ninja -C sigc-build install >/dev/null

touch "$prefix/.complete"
echo "$prefix"
