#!/bin/bash
# SPDX-License-Identifier: MIT
# The real binary under weston (its x11 backend inside Xvfb, with Xwayland), natively and through
# Xwayland: the title, a click into a round, natively ten quick F1 taps and F1 held, F1 twice (the
# fullscreen state set through Xwayland) and Escape; fullscreen, where a Wayland client cannot change
# the mode, the picture is letterboxed. Wayland has no global screenshot,
# so the screen is read off Xvfb's root, where weston shows its output. Usage: e2e_wayland.sh ZELMO [RUNS]
set -u
ZELMO=$(realpath "$1")
. "$(dirname "$0")/xvfb_lib.sh"
work_in_scratch_dir 'kill $WESTON_PID 2>/dev/null; wait $WESTON_PID 2>/dev/null'
export XDG_RUNTIME_DIR="$WORK/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

start_xvfb 1024x600x24 || exit 1
weston --backend=x11-backend.so --width=1024 --height=600 --socket=zelmo-test --use-pixman --xwayland \
    >weston.log 2>&1 &
WESTON_PID=$!
xwayland_display() { sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' weston.log; }
xwayland_known() { [ -S "$XDG_RUNTIME_DIR/zelmo-test" ] && [ -n "$(xwayland_display)" ]; }
wait_until 60 xwayland_known || { echo "FAIL: weston did not start"; cat weston.log; exit 1; }

# Fullscreen, the 800x600 picture keeps its shape on the 1024x600 screen: x 112 to 911, black beside.
bars_black() {
    [ "$(above "$(region_mean "$1" 100x600+0+0 lit)" 0.01)" = no ] &&
        [ "$(above "$(region_mean "$1" 100x600+924+0 lit)" 0.01)" = no ]
}
title_shown() {
    [ "$(above "$(region_mean "$1" 1024x60+0+10 lit)" 0.05)" = no ] &&
        [ "$(above "$(region_mean "$1" 800x300+112+150 lit)" 0.9)" = yes ] && bars_black "$1"
}
# Weston's grey desktop shows around a window, never around the fullscreen field.
fullscreen_field() {
    [ "$(above "$(region_mean "$1" 800x600+112+0 lit)" 0.99)" = yes ] &&
        [ "$(above "$(region_mean "$1" 1024x600+0+0 smoke)" 0.05)" = no ] && bars_black "$1"
}
# Through Xwayland the window also says it is fullscreen. Natively the switches are counted in the
# game's Wayland log, as its fullscreen requests after the first.
fullscreen_state() { DISPLAY=$(xwayland_display) xprop -id "$(DISPLAY=$(xwayland_display) window_of ZELMO)" _NET_WM_STATE; }
fullscreen_here() { fullscreen_field "$1" && { [ "$how" = native ] || fullscreen_state | grep -q FULLSCREEN; }; }
switches() { echo $(($(grep -c 'set_fullscreen\|unset_fullscreen' native.err) - 1)); }
switched() { [ "$(switches)" -ge "$1" ]; }
windowed() { [ "$(above "$(region_mean "$1" 1024x600+0+0 smoke)" 0.12)" = yes ]; }

# play HOW ENV...: runs the game with the environment given, through the title, a round, F1 twice, Escape.
play() {
    local how=$1 seen
    shift
    env "$@" "$ZELMO" 2>"$how.err" &
    local pid=$!
    check_that "$how: the title" wait_for_screen 60 "$how-title.ppm" title_shown
    xdotool mousemove 512 300
    click 1
    check_that "$how: a click starts a round" wait_for_screen 30 "$how-round.ppm" fullscreen_field
    if [ "$how" = native ]; then  # ten quick taps (60 ms, 150 ms apart), F1 held through its repeat, F1
        xdotool $(for tap in $(seq 10); do printf 'keydown F1 sleep 0.06 keyup F1 sleep 0.09 '; done) keydown F1 sleep 2 keyup F1
        wait_until 60 switched 11 && wait_for_screen 30 "$how-window.ppm" windowed
        check "native: ten quick F1 taps switch ten times, F1 held once" "$(switches)" 11
        press_key F1
    fi
    press_key F1
    check_that "$how: F1 makes a window" wait_for_screen 30 "$how-window.ppm" windowed
    press_key F1
    wait_for_screen 30 "$how-full.ppm" fullscreen_here && seen=yes || seen=no
    check "$how: F1 again, fullscreen" "$seen" yes
    check_escape "$how: Escape ends the run with code 0" $pid 30
    [ "$EXIT_CODE" = 0 ] || grep -v '^\[' "$how.err"
}
for run in $(seq "${2:-1}"); do play native -u DISPLAY SDL_VIDEODRIVER=wayland WAYLAND_DISPLAY=zelmo-test WAYLAND_DEBUG=client; done
for run in $(seq "${2:-1}"); do play xwayland -u WAYLAND_DISPLAY DISPLAY="$(xwayland_display)"; done

finish
