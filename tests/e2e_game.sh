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

# Mean of an ImageMagick fx expression over a region WxH+X+Y of a screenshot, 0..1.
region_mean() { convert "$1" -crop "$2" +repage -fx "$3" -format '%[fx:mean]' info:; }
# Mean absolute difference of a region between two screenshots, 0..1.
region_change() {
    convert "$1" "$2" -crop "$3" +repage -compose difference -composite -colorspace gray -format '%[fx:mean]' info:
}
above() { awk -v a="$1" -v b="$2" 'BEGIN { print (a > b) ? "yes" : "no" }'; }

start_xvfb || exit 1
"$ZELMO" &
PID=$!
wait_for_window ZELMO >/dev/null || { echo "FAIL: no window"; exit 1; }
sleep 1.6
screenshot title.png
check "title: black above the picture" "$(pixel title.png 400 60)" "0,0,0"
check "title: black below the picture" "$(pixel title.png 400 540)" "0,0,0"
check "title: the picture fills the band from 100 to 500" \
    "$(above "$(region_mean title.png 800x400+0+100 'r+g+b>0.1')" 0.95)" yes

xdotool mousemove 400 300 mousedown 1 sleep 0.2 mouseup 1
sleep 0.6
xdotool mousemove 380 280
sleep 0.3
screenshot play.png
check "play: the field covers the screen" "$(above "$(region_mean play.png 800x600+0+0 'r+g+b>0.1')" 0.99)" yes
check "play: Toasted shows on the bottom plank" "$(above "$(region_mean play.png 100x20+200+568 'b>0.6')" 0.05)" yes
check "play: no countdown before a launch" "$(above "$(region_mean play.png 160x20+600+568 'b>0.6')" 0.02)" no

# Smoke: grey, neither saturated like the grass, the plank and the hand, nor white like the critters.
SMOKE='(max(r,max(g,b))-min(r,min(g,b)))<0.08 && (r+g+b)/3>0.4 && (r+g+b)/3<0.88'
smoke_in() { above "$(region_mean "$1" "$2" "$SMOKE")" 0.08; }

# Launch towards the pointer, then blast with the right button. A charge that touches a critter on
# the way blasts by itself, along the same path; if its smoke is gone by then, wait and go again.
blasted=no
for attempt in 1 2 3; do  # three of the five charges at most: one is kept for the last check
    xdotool mousemove 200 150 mousedown 1
    sleep 0.15
    screenshot launched.png
    sleep 0.5
    screenshot flying.png
    xdotool mouseup 1 mousedown 3 sleep 0.1 mouseup 3
    sleep 0.3  # the rings have spread by now
    screenshot blast.png
    if [ "$(smoke_in blast.png 240x240+560+360)" = yes ]; then
        blasted=yes
        break
    fi
    sleep 1.8
done
icon_shown() { above "$(pixel "$1" 182 582 | cut -d, -f1)" 200; }  # the fifth charge icon's disc
check "five charges before the launch" "$(icon_shown play.png)" yes
check "a left click launches a charge: one icon fewer" "$(icon_shown launched.png)" no
check "the charge blasts on its way towards the pointer" "$blasted" yes
check "no smoke away from the charge's path" "$(smoke_in blast.png 200x150+300+200)" no

# Holding both buttons at the launch blasts the charge at once, by the launch point.
sleep 1.8
xdotool mousemove 380 280 mousedown 1 mousedown 3 sleep 0.15 mouseup 1 mouseup 3 sleep 0.3
screenshot corner.png
check "a right click blasts at once: smoke at the launch point" "$(smoke_in corner.png 160x160+670+440)" yes

xdotool mousemove 400 300 key Escape
wait_exit $PID 5
check "Escape ends the game with code 0" "$EXIT_CODE" 0

if [ -n "${ZELMO_SCREENSHOTS:-}" ]; then
    mkdir -p "$ZELMO_SCREENSHOTS"
    cp title.png play.png flying.png blast.png corner.png "$ZELMO_SCREENSHOTS"/
fi
echo "e2e_game: $FAILURES failure(s)"
[ "$FAILURES" -eq 0 ]
