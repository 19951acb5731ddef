#!/bin/bash
# SPDX-License-Identifier: MIT
# The real binary under Xvfb, driven with xdotool: fullscreen start, frames, F1 and back,
# Alt keys, Escape, closing the window, running without fonts, and a clear failure without a display.
set -u
ZELMO=$(realpath "$1")
CLOSE=$(realpath "$2")
. "$(dirname "$0")/xvfb_lib.sh"
work_in_scratch_dir  # the binary must not need the source tree

# Without any display: one line on stderr and code 1, at once.
( unset DISPLAY SDL_VIDEODRIVER; timeout 20 "$ZELMO" 2>err.txt; echo $? >code.txt )
check "no display: exit code" "$(cat code.txt)" 1
check "no display: one line on stderr" "$(wc -l <err.txt)" 1
check_that "no display: the message mentions the display" grep -q "display" err.txt

start_xvfb || exit 1

# The window's outer place and size as "X,Y WxH".
geometry() { eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" && echo "${X},${Y} ${WIDTH}x${HEIGHT}"; }
geometry_is() { [ "$(geometry "$1")" = "$2" ]; }
# f1_switch WHAT: F1 in the focused window WIN makes a new window, which becomes WIN; WHAT names the switch.
f1_switch() {
    wait_for_focus "$WIN"
    press_key F1
    WIN=$(wait_for_new_window ZELMO "$WIN") || { echo "FAIL: $1 made no new window"; exit 1; }
}
# check_geometry WHAT GEOMETRY: WIN comes to the place and size, "X,Y WxH".
check_geometry() {
    wait_until 20 geometry_is "$WIN" "$2"
    check "$1" "$(geometry "$WIN")" "$2"
}

# Run 1: fullscreen start, F1 to a window and back, Alt+Escape ignored, Escape ends with 0.
"$ZELMO" &
PID=$!
WIN=$(wait_for_window ZELMO) || { echo "FAIL: no window"; exit 1; }
check_that "frames are presented: the title on black after the pause" wait_for_screen 30 shot1.ppm title_shown
check "fullscreen window size" "$(geometry "$WIN")" "0,0 800x600"
check "the window has the 16x16 icon" "$(xprop -id "$WIN" _NET_WM_ICON | grep -o 'Icon (16 x 16)')" "Icon (16 x 16)"
check "the window class" "$(xprop -id "$WIN" WM_CLASS)" 'WM_CLASS(STRING) = "ZELMO", "ZELMO"'

f1_switch F1
xdotool windowmove "$WIN" 40 30 windowsize "$WIN" 500 400
check_geometry "windowed after F1, moved and resized" "40,30 500x400"
stretched() { [ "$(pixel "$1" 290 230)" != "0,0,0" ] && [ "$(pixel "$1" 290 60)" = "0,0,0" ]; }
check_that "the window presents the title stretched to its size" wait_for_screen 20 shot2.ppm stretched

f1_switch "second F1"
check_geometry "fullscreen again" "0,0 800x600"
f1_switch "third F1"
check_geometry "the window reopens at its place with its size" "40,30 500x400"

# Alt+Escape is a system key: the run goes on, as the switch that a later F1 makes shows.
wait_for_focus "$WIN"
xdotool keydown alt keydown Escape sleep 0.15 keyup Escape keyup alt
press_key F1
NEXT=$(wait_for_new_window ZELMO "$WIN") && alive=yes || alive=no
check "Alt+Escape is a system key, not Escape" "$alive" yes
wait_for_focus "$NEXT"
check_escape "Escape ends the run with code 0" $PID 20

# Run 2: closing the window ends the run with code 0.
"$ZELMO" &
PID=$!
WIN=$(wait_for_window ZELMO) || { echo "FAIL: no window"; exit 1; }
"$CLOSE" "$WIN"
wait_exit $PID 20
check "closing the window: code 0" "$EXIT_CODE" 0

# Run 3: without any font the program says so once and still runs (its text just does not show).
echo '<?xml version="1.0"?><fontconfig><cachedir>'"$WORK"'/fc-cache</cachedir></fontconfig>' >fonts.conf
FONTCONFIG_FILE="$WORK/fonts.conf" "$ZELMO" 2>fonterr.txt &
PID=$!
WIN=$(wait_for_window ZELMO) || { echo "FAIL: no window without fonts"; cat fonterr.txt; exit 1; }
wait_for_screen 30 shot3.ppm title_shown || echo "no title without fonts"
xdotool mousemove 400 300
click 1
check_that "without fonts: the game plays" wait_for_screen 20 shot4.ppm field_shown
check_escape "without fonts: Escape ends with code 0" $PID 20
check "without fonts: one line says what was looked for and what to install" "$(cat fonterr.txt)" \
    'zelmo: no font answers to "Arial" (fontconfig finds no scalable face); install fonts-liberation2 (Liberation Sans stands in for Arial)'


finish
