#!/bin/bash
# SPDX-License-Identifier: MIT
# The user's display mode comes back: under Xvfb at 1920x1080 with an 800x600 mode, two fullscreen
# copies quit in either order (the one left keeps the temporary mode until it quits), a hangup, and
# a copy killed outright followed by a normal run. Without XDG_RUNTIME_DIR, as in a root shell or a
# container: the copies share the user's mode on the display itself.
set -u
ZELMO=$(realpath "$1")
. "$(dirname "$0")/xvfb_lib.sh"
work_in_scratch_dir
unset XDG_RUNTIME_DIR

start_xvfb 1920x1080x24 || exit 1
xrandr --newmode 800x600 0 800 0 0 0 600 0 0 0 && xrandr --addmode screen 800x600 || { echo "FAIL: no 800x600 mode"; exit 1; }

mode() { xrandr 2>/dev/null | sed -n 's/.* current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }
mode_is() { [ "$(mode)" = "$1" ]; }
shown_windows() { xdotool search --onlyvisible --class ZELMO 2>/dev/null | wc -l; }
windows_shown() { [ "$(shown_windows)" -ge "$1" ]; }

# start_copy N: starts a copy and waits until N of its windows are shown, in the temporary mode.
start_copy() {
    "$ZELMO" 2>>err.txt &
    PID=$!
    wait_until 30 windows_shown "$1" && wait_until 20 mode_is 800x600 || echo "FAIL: copy $1 did not go fullscreen"
}
# quit_copy PID HOW: a signal, and waits for the end; EXIT_CODE has the code.
quit_copy() { kill -"$2" "$1"; wait_exit "$1" 30; }
# check_mode_back WHAT: the display returns to the user's mode.
check_mode_back() {
    wait_until 10 mode_is 1920x1080
    check "$1" "$(mode)" 1920x1080
}

for order in "first second" "second first"; do
    start_copy 1; FIRST=$PID
    start_copy 2; SECOND=$PID
    set -- $order
    [ "$1" = first ] && quit_copy $FIRST TERM || quit_copy $SECOND TERM
    check "$order: the one that quits first ends with code 0" "$EXIT_CODE" 0
    check "$order: the other is still fullscreen in the temporary mode" "$(mode)" 800x600
    [ "$2" = second ] && quit_copy $SECOND TERM || quit_copy $FIRST TERM
    check "$order: the other ends with code 0" "$EXIT_CODE" 0
    check_mode_back "quit $order: the display is back at its mode"
done

start_copy 1
quit_copy $PID HUP
check "a hangup ends the run with code 0" "$EXIT_CODE" 0
check_mode_back "after a hangup the display is back at its mode"

# Killed outright, a copy leaves the temporary mode; the next copy still knows the user's.
start_copy 1
quit_copy $PID KILL
check "killed outright, the display stays in the temporary mode" "$(mode)" 800x600
start_copy 1
quit_copy $PID TERM
check_mode_back "the next copy returns it to the user's mode"

finish
