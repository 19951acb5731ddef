#!/bin/bash
# The game under Xvfb, played with xdotool: the title after the pause, a click into a round, a
# left click launching a charge towards the pointer, a right click blasting it, Escape.
# With ZELMO_SCREENSHOTS=DIR the screenshots are kept there.
set -u
ZELMO=$(realpath "$1")
. "$(dirname "$0")/xvfb_lib.sh"
WORK=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$WORK"' EXIT
cd "$WORK"

start_xvfb || exit 1
"$ZELMO" &
PID=$!
wait_for_window ZELMO >/dev/null || { echo "FAIL: no window"; exit 1; }

title_shown() {
    [ "$(pixel "$1" 400 60)" = "0,0,0" ] && [ "$(pixel "$1" 400 540)" = "0,0,0" ] &&
        [ "$(above "$(region_mean "$1" 800x400+0+100 lit)" 0.95)" = yes ]
}
wait_for_screen 30 title.ppm title_shown && shown=yes || shown=no
check "title: the picture fills the band from 100 to 500, black above and below" "$shown" yes

icon_shown() { above "$(pixel "$1" 182 582 | cut -d, -f1)" 200; }  # the fifth charge icon's disc
# The round: the field over the whole screen, "Toasted" on the bottom plank, five charges.
round_shown() {
    [ "$(above "$(region_mean "$1" 800x600+0+0 lit)" 0.99)" = yes ] &&
        [ "$(above "$(region_mean "$1" 100x20+200+568 blue)" 0.05)" = yes ] && [ "$(icon_shown "$1")" = yes ]
}
xdotool mousemove 400 300
click 1
xdotool mousemove 380 280
wait_for_screen 30 play.ppm round_shown && shown=yes || shown=no
check "play: the field covers the screen, Toasted shows, five charges" "$shown" yes
check "play: no countdown before a launch" "$(above "$(region_mean play.ppm 160x20+600+568 blue)" 0.02)" no

# Smoke: grey, neither saturated like the grass, the plank and the hand, nor white like the critters.
smoke_in() { above "$(region_mean "$1" "$2" smoke)" 0.08; }
launched() { [ "$(icon_shown "$1")" = no ]; }
smoke_on_path() { [ "$(smoke_in "$1" 240x240+560+360)" = yes ]; }
no_smoke_anywhere() { [ "$(smoke_in "$1" 800x540+0+0)" = no ]; }
countdown_shown() { [ "$(above "$(region_mean "$1" 160x20+600+568 blue)" 0.02)" = yes ]; }

# Launch towards the pointer, steer for half a second, then blast with the right button. A charge
# that touches a critter on the way blasts by itself, along the same path; if its smoke is gone by
# then, wait for the field to clear and go again (three of the five charges at most).
blasted=no
launch_seen=no
for attempt in 1 2 3; do
    xdotool mousemove 200 150 mousedown 1
    if wait_for_screen 10 launched.ppm launched; then
        launch_seen=yes
        wait_for_screen 10 flying.ppm countdown_shown
        sleep 0.5  # steering towards the pointer while the button is held
    fi
    xdotool mouseup 1 mousedown 3
    wait_for_screen 2 blast.ppm smoke_on_path && blasted=yes
    xdotool mouseup 3
    [ $blasted = yes ] && break
    wait_for_screen 10 clear.ppm no_smoke_anywhere
done
check "a left click launches a charge: one icon fewer" "$launch_seen" yes
check "the charge blasts on its way towards the pointer" "$blasted" yes
check "no smoke away from the charge's path" "$(smoke_in blast.ppm 200x150+300+200)" no

# Holding both buttons launches the next charge as soon as the blast is over, and it blasts at once,
# by the launch point.
smoke_at_launch_point() { [ "$(smoke_in "$1" 160x160+670+440)" = yes ]; }
wait_for_screen 10 clear.ppm no_smoke_anywhere
xdotool mousemove 380 280 mousedown 1 mousedown 3
wait_for_screen 10 corner.ppm smoke_at_launch_point && cornered=yes || cornered=no
xdotool mouseup 1 mouseup 3
check "a right click held at the launch blasts at once: smoke at the launch point" "$cornered" yes

xdotool mousemove 400 300
press_key Escape
wait_exit $PID 20
check "Escape ends the game with code 0" "$EXIT_CODE" 0

if [ -n "${ZELMO_SCREENSHOTS:-}" ]; then
    mkdir -p "$ZELMO_SCREENSHOTS"
    for shot in title play flying blast corner; do keep_png $shot.ppm "$ZELMO_SCREENSHOTS/$shot.png"; done
fi
echo "e2e_game: $FAILURES failure(s)"
[ "$FAILURES" -eq 0 ]
