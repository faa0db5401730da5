#!/usr/bin/env bash
# Sets everything up, writes the demo disk, and runs the player with the demo
# disk at /hdd: in a window when a display opens (DISPLAY or WAYLAND_DISPLAY),
# otherwise in this terminal. Options are passed on to boxsim, e.g.
#   scripts/run.sh --dsp wav:/tmp/tivra.wav
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_BUILD_DIR:-$root/build}

"$root/scripts/setup.sh" >/dev/null
"$build/boxsim/make_demo_disk" "$build/demo-hdd"
exec "$build/boxsim/boxsim" --hdd "$build/demo-hdd" "$@"
