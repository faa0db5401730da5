#!/usr/bin/env bash
# Makes the package a set-top box's package manager installs: an .ipk, which
# is an ar archive of debian-binary, control.tar.gz and data.tar.gz, in that
# order. The data is what `cmake --install` stages for the box.
# usage: make-ipk.sh BUILD_DIR ARCH VERSION OUT_DIR   (prints the package's path)
set -euo pipefail
build=$1 arch=$2 version=$3 out=$4
work=$(mktemp -d /tmp/tivra-ipk-XXXXXX)
trap 'rm -rf "$work"' EXIT

DESTDIR="$work/data" cmake --install "$build" --strip >/dev/null
depends=$("$(dirname "${BASH_SOURCE[0]}")/ipk-depends.sh" "$work"/data/var/velmar/plugins/*.so*)
mkdir "$work/control"
cat >"$work/control/control" <<CONTROL
Package: tivra
Version: $version
Architecture: $arch
Depends: $depends
Section: extra
Priority: optional
Maintainer: Tivra developers <dev@tivra.invalid>
Installed-Size: $(du -sk "$work/data" | cut -f1)
Description: FLAC player plug-in for the box's GUI
 Browses the disk from /hdd and plays FLAC files through /dev/dsp.
 Installs tivra.so with the libFLAC and libsigc++ it needs into
 /var/velmar/plugins.
CONTROL
echo "2.0" >"$work/debian-binary"
tar --owner=0 --group=0 --numeric-owner -czf "$work/control.tar.gz" -C "$work/control" ./control
tar --owner=0 --group=0 --numeric-owner -czf "$work/data.tar.gz" -C "$work/data" .
package="$out/tivra_${version}_${arch}.ipk"
rm -f "$package"
(cd "$work" && ar rc "$package" debian-binary control.tar.gz data.tar.gz)
echo "$package"
