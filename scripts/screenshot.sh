#!/usr/bin/env bash
# Makes docs/screen.png, the picture the README shows: the player on the demo
# disk while a file plays, as the box's television shows it.
# usage: scripts/screenshot.sh [OUT.png]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIVRA_BUILD_DIR:-$root/build}
out=${1:-$root/docs/screen.png}

"$root/scripts/setup.sh" --player >/dev/null
"$build/boxsim/make_demo_disk" "$build/demo-hdd"
keys=$(mktemp /tmp/tivra-screenshot-XXXXXX)
trap 'rm -f "$keys"' EXIT
# "02 Little March.flac": three rows down, a second into the play.
echo "down down down ok wait 1000 shot $out" >"$keys"
"$build/boxsim/boxsim" --hdd "$build/demo-hdd" --dsp null --headless --keys "$keys" >/dev/null
echo "$out"
