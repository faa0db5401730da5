#!/usr/bin/env bash
# Installs the Debian packages the build and tests need (only those missing),
# then configures and builds into build/ (or $TIVRA_BUILD_DIR).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_BUILD_DIR:-$root/build}

packages=(
    cmake make g++ pkg-config
    libflac-dev libsigc++-2.0-dev
    googletest libgtest-dev
    libncurses-dev libasound2-dev
    libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev libfontconfig-dev fonts-dejavu-core
    fonts-droid-fallback fonts-symbola
    tmux util-linux xvfb xdotool imagemagick
)

"$root/scripts/install-packages.sh" "${packages[@]}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
