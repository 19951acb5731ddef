#!/bin/bash
# SPDX-License-Identifier: MIT
# Peak resident memory of the real game under Xvfb through the title and a few rounds of play.
set -u
ZELMO=$(realpath "$1")
. "$(dirname "$0")/../tests/e2e/xvfb_lib.sh"
start_xvfb || exit 1
trap stop_xvfb EXIT
started=$(date +%s.%N)
"$ZELMO" &
PID=$!
WIN=$(wait_for_window ZELMO)
sleep 1.5  # the start-up pause, then the title
xdotool mousemove 400 300 mousedown 1 sleep 0.2 mouseup 1
for i in $(seq 12); do
    xdotool mousemove $((100 + i * 40)) $((100 + i * 25)) mousedown 1 sleep 0.5 mouseup 1 mousedown 3 sleep 0.1 mouseup 3
    sleep 1.7
done
echo "peak resident memory: $(awk '/VmHWM/ { print $2 / 1024 " MB" }' /proc/$PID/status)"
echo "resident now:         $(awk '/VmRSS/ { print $2 / 1024 " MB" }' /proc/$PID/status)"
wait_for_focus "$WIN"
press_key Escape
wait_exit $PID 20
echo "exit code: $EXIT_CODE"
