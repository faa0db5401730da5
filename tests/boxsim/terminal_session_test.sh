#!/usr/bin/env bash
# Drives boxsim's terminal front end as a person would, in an 80x24 tmux
# session: the title, the listing, the whole key strip, paging by the box's
# 15 rows, a playing file's total time, Stop; the host's standby while a file
# plays, its own screen with its own keys on the strip, Tivra started again
# on the file still playing, Exit, a second Esc pressed during Tivra's pause
# after leaving (dropped), and quitting the host. It is started with a
# display that does not open: boxsim falls back to the terminal and says so,
# naming the display, on its notice line, and in one line on stderr once the
# terminal is handed back.
# usage: terminal_session_test.sh BOXSIM MAKE_DEMO_DISK [KILL_MODEL]
set -euo pipefail
boxsim=$1
make_demo_disk=$2
kill_model=${3:-cancel}
work=$(mktemp -d /tmp/tivra-tmux-XXXXXX)
socket="tivra-test-$$"
cleanup() {
    tmux -L "$socket" kill-server 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$make_demo_disk" "$work/disk"
# Enough to page through: Extra 10 to Extra 29 come after "03 Long Evening".
for i in $(seq 10 29); do cp "$work/disk/Track 2.flac" "$work/disk/Extra $i.flac"; done
tmux -L "$socket" -f /dev/null new-session -d -x 80 -y 24 \
    "TERM=screen DISPLAY=:1999 $boxsim --kill $kill_model --hdd $work/disk --dsp null 2>$work/err; echo \$? > $work/exit; sleep 30"

screen() { tmux -L "$socket" capture-pane -p; }
# Waits up to 10 s for the screen to show a text.
expect() {
    for _ in $(seq 100); do
        if screen | grep -qF -- "$1"; then return 0; fi
        sleep 0.1
    done
    echo "the screen never showed: $1" >&2
    screen >&2
    exit 1
}
keys() { tmux -L "$socket" send-keys "$@"; }
absent() {
    if screen | grep -qF -- "$1"; then
        echo "the screen should not show: $1" >&2
        screen >&2
        exit 1
    fi
}

expect "Tivra 0.0.1"
expect "/Quiet Corner"
expect "01 Morning Bell.flac"
expect "Total Time :"
expect "[Root]"
expect "[Stop]"
expect "PgUp/PgDn page  Enter OK  Esc/Bksp exit  F1/r red  F4/b blue  F10/p standby"
expect 'DISPLAY ":1999" does not open: SDL says "x11 not available" (using the terminal)'
# The box shows 15 rows: a page down selects the 16th entry, "Extra 20",
# and scrolls the list by one.
keys NPage
expect "Extra 20"
absent "Extra 21"
absent " .. "
keys PPage
expect " .. "
keys Down Down Enter
expect "Total Time : 00:08"
keys b
expect "Total Time : 00:00"
keys Down Enter
expect "Total Time : 00:21"
keys p
expect "Tivra 0.0.1 has returned 0 to the box's menu."
expect "A file is still playing."
expect "Enter: start Tivra 0.0.1 again"
expect "Enter start  Esc/Bksp/q quit"
keys Enter
expect "Total Time : 00:21"
keys Escape
sleep 0.2
keys Escape
expect "Nothing is playing."
sleep 0.5
[ ! -s "$work/exit" ] || { echo "an Esc pressed during Tivra's pause quit the host" >&2; exit 1; }
keys q
for _ in $(seq 50); do
    [ -s "$work/exit" ] && break
    sleep 0.1
done
[ "$(cat "$work/exit" 2>/dev/null)" = 0 ] || { echo "boxsim did not exit with 0" >&2; exit 1; }
if [ "$(grep -c . "$work/err")" != 1 ] || ! grep -qF 'DISPLAY ":1999" does not open' "$work/err"; then
    echo "stderr should say in one line that no window opened:" >&2
    cat "$work/err" >&2
    exit 1
fi
echo "1 passed, 0 failed"
