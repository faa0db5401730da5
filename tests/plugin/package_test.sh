#!/usr/bin/env bash
# The box's package: its layout, its control file, and what it installs.
# usage: package_test.sh SOURCE_DIR BUILD_DIR ARCH VERSION
set -euo pipefail
src=$1 build=$2 arch=$3 version=$4
work=$(mktemp -d /tmp/tivra-ipk-test-XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
check() {
    if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: got '$2', want '$3'"; failed=1; fi
}

package=$("$src/scripts/make-ipk.sh" "$build" "$arch" "$version" "$work")
check "file name" "$(basename "$package")" "tivra_${version}_${arch}.ipk"
check "members in order" "$(ar t "$package" | tr '\n' ' ')" "debian-binary control.tar.gz data.tar.gz "
(cd "$work" && ar x "$package")
check "format version" "$(cat "$work/debian-binary")" "2.0"
control=$(tar -xzOf "$work/control.tar.gz" ./control)
field() { sed -n "s/^$1: //p" <<<"$control"; }
check "Package" "$(field Package)" "tivra"
check "Version" "$(field Version)" "$version"
check "Architecture" "$(field Architecture)" "$arch"
[ -n "$(field Description)" ] && [ -n "$(field Maintainer)" ] && [ "$(field Installed-Size)" -gt 0 ] ||
    { echo "FAILED: control file lacks a field"; failed=1; }

listing=$(tar -tzf "$work/data.tar.gz" | sort)
for f in tivra.so libFLAC.so.12 libsigc-2.0.so.0; do
    grep -qx "./var/velmar/plugins/$f" <<<"$listing" || { echo "FAILED: no $f"; failed=1; }
done
mkdir "$work/root"
tar -xzf "$work/data.tar.gz" -C "$work/root"
# It asks for the C library its files need, so that an older box refuses it.
needed=$(readelf --version-info --wide "$work"/root/var/velmar/plugins/* |
    grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -V | tail -n 1)
check "Depends names the C library" "$(field Depends | grep -o 'libc6 (>= [0-9.]*)')" \
    "libc6 (>= $needed)"
grep -q 'libstdc++6 (>= [0-9.]*)' <<<"$(field Depends)" || { echo "FAILED: no libstdc++6"; failed=1; }
# Stripped for the box, with the same single entry point.
check "packaged exports" "$(nm -D --defined-only "$work/root/var/velmar/plugins/tivra.so" | awk '{print $3}')" "plugin_exec"
# What the plug-in needs from beside it resolves there.
for lib in $(readelf -d "$build/tivra.so" | sed -n 's/.*(NEEDED).*\[\(lib\(FLAC\|sigc\).*\)\]/\1/p'); do
    [ -e "$work/root/var/velmar/plugins/$lib" ] || { echo "FAILED: $lib not bundled"; failed=1; }
done
if [ $failed = 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
