#!/usr/bin/env bash
# Sets up what the player needs and runs it with the demo disk at /hdd: in a
# window when a display opens (DISPLAY or WAYLAND_DISPLAY), otherwise in this
# terminal. Builds only the player (the plug-in, boxsim, the demo disk's
# maker); scripts/test.sh builds the rest. Options are passed on to boxsim,
# e.g.
#   scripts/run.sh --dsp wav:/tmp/tivra.wav
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_BUILD_DIR:-$root/build}

"$root/scripts/setup.sh" --player
echo "run.sh: writing the demo disk to $build/demo-hdd" >&2
"$build/boxsim/make_demo_disk" "$build/demo-hdd" >/dev/null
echo "run.sh: starting boxsim" >&2
exec "$build/boxsim/boxsim" --hdd "$build/demo-hdd" "$@"
