#!/bin/bash
# SPDX-License-Identifier: MIT
# Soak test: the real game under Xvfb with a seeded random mix of hostile input for a while.
# It checks that the process stays alive and keeps presenting frames, that pictures and text
# still draw after every F1 switch, that resident memory stays flat after the warm-up, and that
# Escape still ends it with code 0. Prints its figures.
#
# Usage: soak.sh ZELMO [SECONDS=600] [SEED=1]
set -u
ZELMO=$(realpath "$1")
DURATION=${2:-600}
RANDOM=${3:-1}
. "$(dirname "$0")/xvfb_lib.sh"
work_in_scratch_dir

rss() { awk '/VmRSS/ { print $2 }' /proc/$PID/status 2>/dev/null; }
alive() { kill -0 "$PID" 2>/dev/null; }
window() { window_of ZELMO; }
between() { echo $(( $1 + RANDOM % ($2 - $1 + 1) )); }
# The window's picture, scaled to the 800 x 600 virtual screen.
window_shot() { window_screenshot "$(window)" "$1" && mogrify -resize '800x600!' "$1" 2>/dev/null; }

start_xvfb || exit 1
"$ZELMO" 2>stderr.txt &
PID=$!
wait_for_window ZELMO >/dev/null || { echo "FAIL: no window"; exit 1; }
wait_for_screen 30 start.ppm title_shown || echo "no title"
xdotool mousemove 400 300
click 1  # into the first round
wait_for_screen 30 start.ppm field_shown || echo "no field"

fullscreen=1
switches=0 switch_failures=0 actions=0 bursts=0 resizes=0 minimises=0
frames_checked=0 frozen=0
start=$(date +%s)
peak=0

drawn_after_switch() {
    window_shot switch.ppm || return 1
    lit=$(region_mean switch.ppm 800x600+0+0 lit)
    text=$(region_mean switch.ppm 100x20+200+568 blue)
    [ "$(above "$lit" 0.9)" = yes ] && [ "$(above "$text" 0.03)" = yes ]
}

# F1, held as a person presses it; the switch shows as a new window, which must draw the field and
# its text within the deadline.
switch_mode() {
    local old
    old=$(window)
    press_key F1
    fullscreen=$((1 - fullscreen))
    switches=$((switches + 1))
    if ! wait_for_new_window ZELMO "$old" >/dev/null || ! wait_until 20 drawn_after_switch; then
        switch_failures=$((switch_failures + 1))
        keep_png switch.ppm "/tmp/switch-failure-$switch_failures.png" 2>/dev/null
        echo "after switch $switches: field lit ${lit:-?}, text ${text:-?}"
    fi
}

# Back to a window that fills the screen, with the pointer over it: without a window manager the
# keyboard goes to the window under the pointer.
geometry_is_screen() { [ "$(xdotool getwindowgeometry "$(window)" 2>/dev/null | grep -c 'Geometry: 800x600')" = 1 ]; }
normal_window() {
    xdotool windowmap "$(window)" windowmove "$(window)" 0 0 windowsize "$(window)" 800 600 2>/dev/null
    xdotool windowfocus "$(window)" mousemove 400 300 2>/dev/null
    wait_until 10 geometry_is_screen
}

new_frame_shown() { window_shot b.ppm && differ a.ppm b.ppm; }

# One action: a number 0..11 picks it.
act() {
    actions=$((actions + 1))
    x=$(between 0 799) y=$(between 0 599)
    case $1 in
        0|1|2) xdotool mousemove $x $y ;;
        3) xdotool mousemove $x $y mousedown 1 sleep 0.$(between 1 5) mouseup 1 ;;
        4) xdotool mousemove $x $y mousedown 3 sleep 0.1 mouseup 3 ;;
        5) xdotool mousedown 1 mousemove $x $y sleep 0.3 mousemove $(between 0 799) $(between 0 599) sleep 0.3 mouseup 1 ;;
        6)  # a burst of hundreds of messages between two frames
            args=()
            for i in $(seq 300); do args+=(mousemove $(between 0 799) $(between 0 599)); done
            xdotool "${args[@]}" mousedown 1 mouseup 1 mousedown 3 mouseup 3
            bursts=$((bursts + 1)) ;;
        7)
            normal_window
            switch_mode ;;
        8)
            if [ $fullscreen -eq 0 ]; then
                xdotool windowmove "$(window)" $(between 0 300) $(between 0 200) 2>/dev/null
                resizes=$((resizes + 1))
            fi ;;
        9)
            if [ $fullscreen -eq 0 ]; then
                w=$(between 1 800) h=$(between 1 600)
                [ $(( RANDOM % 3 )) -eq 0 ] && w=1 h=1
                xdotool windowsize "$(window)" $w $h sleep 0.3 windowsize "$(window)" 800 600 2>/dev/null
                resizes=$((resizes + 1))
            fi ;;
        10)  # minimise (taken off the screen) and restore; focus returns, as a window manager gives it
            xdotool windowunmap "$(window)" sleep 0.$(between 2 8) windowmap "$(window)" sleep 0.1 \
                windowfocus "$(window)" 2>/dev/null
            minimises=$((minimises + 1)) ;;
        11)  # are frames still presented? the critters wander, so a later look differs
            normal_window
            window_shot a.ppm
            frames_checked=$((frames_checked + 1))
            if ! wait_until 10 new_frame_shown; then
                frozen=$((frozen + 1))
                echo "no new frame at action $actions"
            fi ;;
    esac
    sleep 0.05
    now=$(rss)
    [ -n "$now" ] && [ "$now" -gt "$peak" ] && peak=$now
}

# Warm-up: every kind of action once in each mode, and a blast, before the memory baseline.
for round in 1 2; do
    for kind in 0 3 4 5 6 8 9 10 11 7; do act $kind; done
    sleep 1.6
done
# Memory is compared in the same state, the window filling the screen: a resized window's buffers
# come and go with its size.
settled_rss() { normal_window; sleep 1; rss; }
baseline=$(settled_rss)

while [ $(( $(date +%s) - start )) -lt "$DURATION" ] && alive; do
    act $(( RANDOM % 12 ))
done

survived=no
alive && survived=yes
end_rss=$(settled_rss)
press_key Escape
wait_exit $PID 20
growth=$(( (${end_rss:-0} - ${baseline:-0}) ))

echo "soak figures: ${DURATION}s, seed ${3:-1}"
echo "  actions $actions, F1 switches $switches, resizes and moves $resizes, minimise/restore $minimises, bursts $bursts"
echo "  frame checks $frames_checked, frozen $frozen; drawing failures after switches $switch_failures"
echo "  resident memory: after the warm-up ${baseline:-?} kB, at the end ${end_rss:-?} kB (growth $growth kB), peak $peak kB"
echo "  exit code after Escape: $EXIT_CODE"
[ -s stderr.txt ] && { echo "  stderr:"; sed 's/^/    /' stderr.txt; }

check "alive throughout" "$survived" yes
check "frames presented at every look" "$frozen" 0
check "pictures and text draw after every F1 switch" "$switch_failures" 0
# A sanitizer's allocator keeps freed memory in quarantine: memory is only judged in a plain build.
if [ -z "${ZELMO_SANITIZED:-}" ]; then
    check "resident memory grew by less than 2 MB" "$( [ "$growth" -lt 2048 ] && echo yes || echo no)" yes
fi
check "Escape ends it with code 0" "$EXIT_CODE" 0
finish
