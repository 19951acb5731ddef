#!/bin/bash
# SPDX-License-Identifier: MIT
# The processor a minimised game uses, beside a busy loop's over the same seconds, under Xvfb with
# a window manager (openbox), which minimises the window as a desktop does.
#
# Usage: idle_cpu.sh ZELMO [SECONDS=6]
set -u
ZELMO=$(realpath "$1")
SECONDS_MEASURED=${2:-6}
. "$(dirname "$0")/../tests/e2e/xvfb_lib.sh"
start_xvfb || exit 1
start_window_manager || exit 1
LOOP=
trap 'kill $LOOP 2>/dev/null; stop_xvfb' EXIT

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }  # user and system clock ticks
minimised() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q Iconic; }

"$ZELMO" &
PID=$!
WIN=$(wait_for_window ZELMO) || exit 1
wait_for_focus "$WIN"
xdotool windowminimize "$WIN"
wait_until 20 minimised "$WIN" || { echo "the window did not minimise"; exit 1; }
bash -c 'while :; do :; done' &
LOOP=$!
game0=$(ticks $PID) loop0=$(ticks $LOOP)
sleep "$SECONDS_MEASURED"
game=$(($(ticks $PID) - game0)) loop=$(($(ticks $LOOP) - loop0))
kill $LOOP
hz=$(getconf CLK_TCK)
awk -v g="$game" -v l="$loop" -v hz="$hz" -v s="$SECONDS_MEASURED" 'BEGIN {
    printf "minimised game over %d s: %.2f s of processor; a busy loop beside it: %.2f s; the game used %.1f %% of the loop'"'"'s\n",
        s, g / hz, l / hz, (l > 0 ? 100 * g / l : 0) }'
xdotool windowactivate "$WIN" 2>/dev/null
wait_for_focus "$WIN"
press_key Escape
wait_exit $PID 20
echo "exit code: $EXIT_CODE"
