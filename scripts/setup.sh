#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then
# configures and builds into build/ (or $TIVRA_BUILD_DIR), saying what it
# does on stderr.
# usage: setup.sh [--player] [CMAKE OPTIONS...]
#   --player  only what running the player needs: its packages, and the
#             plug-in, boxsim and the demo disk's maker (no tests)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_BUILD_DIR:-$root/build}

player=(
    cmake make g++ pkg-config
    libflac-dev libsigc++-2.0-dev
    libncurses-dev libasound2-dev
    libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev libfontconfig-dev fonts-dejavu-core
    fonts-droid-fallback fonts-symbola
    util-linux
)
tests=(googletest libgtest-dev tmux xvfb xdotool imagemagick)

say() { echo "setup: $*" >&2; }

if [ "${1:-}" = --player ]; then
    shift
    packages=("${player[@]}")
    configure=(-DBUILD_TESTING=OFF)
    targets=(--target boxsim make_demo_disk)
else
    packages=("${player[@]}" "${tests[@]}")
    configure=(-DBUILD_TESTING=ON)
    targets=()
fi

"$root/scripts/install-packages.sh" "${packages[@]}"
say "configuring $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${configure[@]}" "$@" >/dev/null
say "building in $build"
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
