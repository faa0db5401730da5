#!/usr/bin/env bash
# The window a person sees is the picture the tests check: boxsim's window
# front end under Xvfb, driven with xdotool, grabbed from the X screen, and
# compared at chosen pixels with the screenshot the headless front end takes
# after the same keys; made small, it is that screenshot shrunk smoothly
# (one-pixel lines fade, they do not vanish); Ctrl-C in it ends boxsim with
# 130, as in a terminal.
# usage: window_session_test.sh BOXSIM MAKE_DEMO_DISK [KILL_MODEL]
set -euo pipefail
boxsim=$1
make_demo_disk=$2
kill_model=${3:-cancel}
work=$(mktemp -d /tmp/tivra-xvfb-XXXXXX)
xvfb_pid=
boxsim_pid=
cleanup() {
    [ -n "$boxsim_pid" ] && kill "$boxsim_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$make_demo_disk" "$work/disk"

# The same keys, headless: the picture of that moment.
echo "down down down ok wait 1000 shot $work/shot.png" >"$work/keys"
"$boxsim" --kill "$kill_model" --hdd "$work/disk" --dsp null --headless --keys "$work/keys" >/dev/null

# A display of our own; Xvfb picks a free number and tells it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

"$boxsim" --kill "$kill_model" --hdd "$work/disk" --dsp null --screen window 2>"$work/err" &
boxsim_pid=$!
wid=
for _ in $(seq 100); do
    wid=$(xdotool search --name "boxsim: the box's screen" 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "$wid" ] || { echo "no window appeared" >&2; cat "$work/err" >&2; exit 1; }
sleep 0.5
xdotool key --window "$wid" Down Down Down Return
sleep 1
import -window root "$work/grab.png"
# Its geometry: the picture fills the width at 4:3, the key map below.
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$WIDTH" = 768 ] || { echo "the window is $WIDTH wide, not 768" >&2; exit 1; }

pixel() { # FILE X Y -> "R G B"
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}
failed=0
# Screen points: title bar, client area, list, selection bar (row 3), both
# key marks, a button's face.
for point in "355 60" "400 532" "355 300" "580 155" "126 515" "266 515" "205 504"; do
    set -- $point
    want=$(pixel "$work/shot.png" "$1" "$2")
    seen=$(pixel "$work/grab.png" $((X + $1 * 768 / 720)) $((Y + $2)))
    read -r wr wg wb <<<"$want"
    read -r sr sg sb <<<"$seen"
    for d in $((wr - sr)) $((wg - sg)) $((wb - sb)); do
        if [ "${d#-}" -gt 16 ]; then
            echo "FAILED at ($1,$2): screenshot $want, window $seen"
            failed=1
            break
        fi
    done
done

# Small: the picture, found by trimming the black round it (the notice and
# the strip lie in the bottom 80 rows), against the screenshot shrunk by
# averaging. Nearest-pixel scaling is about 0.036 away; ours about 0.014.
xdotool windowsize "$wid" 400 600
sleep 1
import -window root -crop "400x520+$X+$Y" +repage "$work/small.png"
convert "$work/small.png" -bordercolor black -border 1 -trim +repage "$work/picture.png"
size=$(identify -format %wx%h "$work/picture.png")
convert "$work/shot.png" -filter box -resize "$size!" "$work/expected.png"
# compare's status says only whether the pictures differ.
distance=$( (compare -metric RMSE "$work/picture.png" "$work/expected.png" null: 2>&1 || true) |
    sed 's/.*(\(.*\))/\1/')
if [ "$size" != 400x300 ] || awk "BEGIN { exit !($distance > 0.025) }"; then
    echo "FAILED: the small window's picture is $size, $distance from the screenshot shrunk" >&2
    failed=1
fi

# Leaving Tivra takes its window off the screen at once (its title bar's
# blue is gone within Tivra's pause), and an Esc pressed during that pause
# is dropped: the host's screen stays.
title_blue() { # FILE -> the share of its pixels in the title bar's colour
    convert "$1" -fuzz 4% -fill red -opaque "rgb(44,78,150)" -fill black +opaque red \
        -format "%[fx:mean.r]" info:
}
import -window root -crop "400x520+$X+$Y" +repage "$work/before.png"
xdotool key --window "$wid" Escape
sleep 0.3
import -window root -crop "400x520+$X+$Y" +repage "$work/hidden.png"
xdotool key --window "$wid" Escape
if ! awk "BEGIN { exit !($(title_blue "$work/before.png") > 0.01) }" ||
    ! awk "BEGIN { exit !($(title_blue "$work/hidden.png") == 0) }"; then
    echo "FAILED: the window was still on the screen during Tivra's pause" >&2
    failed=1
fi
sleep 1.5
if ! kill -0 "$boxsim_pid" 2>/dev/null; then
    echo "FAILED: an Esc pressed during Tivra's pause quit the host" >&2
    failed=1
fi

xdotool key --window "$wid" ctrl+c 2>/dev/null || true
for _ in $(seq 50); do kill -0 "$boxsim_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$boxsim_pid" 2>/dev/null; then
    echo "FAILED: boxsim did not quit" >&2
    failed=1
else
    status=0
    wait "$boxsim_pid" || status=$?
    [ $status = 130 ] || { echo "FAILED: boxsim exited with $status, not 130" >&2; failed=1; }
    boxsim_pid=
fi
if [ $failed = 0 ]; then echo "1 passed, 0 failed"; else cat "$work/err"; echo "0 passed, 1 failed"; exit 1; fi
