#!/bin/bash
# The real binary under Xvfb, driven with xdotool: fullscreen start, frames, F1 and back,
# Alt keys, Escape, closing the window, running without fonts, and a clear failure without a display.
set -u
ZELMO=$(realpath "$1")
CLOSE=$(realpath "$2")
. "$(dirname "$0")/xvfb_lib.sh"
WORK=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$WORK"' EXIT
cd "$WORK"  # the binary must not need the source tree

# Without any display: one line on stderr and code 1, at once.
( unset DISPLAY SDL_VIDEODRIVER; timeout 20 "$ZELMO" 2>err.txt; echo $? >code.txt )
check "no display: exit code" "$(cat code.txt)" 1
check "no display: one line on stderr" "$(wc -l <err.txt)" 1
grep -q "display" err.txt || { echo "FAIL: message does not mention the display"; FAILURES=$((FAILURES+1)); }

start_xvfb || exit 1

title_shown() { [ "$(pixel "$1" 400 50)" = "0,0,0" ] && [ "$(pixel "$1" 400 300)" != "0,0,0" ]; }
field_shown() { [ "$(pixel "$1" 400 50)" != "0,0,0" ]; }
# The window's outer place and size as "X,Y WxH".
geometry() { eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" && echo "${X},${Y} ${WIDTH}x${HEIGHT}"; }
geometry_is() { [ "$(geometry "$1")" = "$2" ]; }

# Run 1: fullscreen start, F1 to a window and back, Alt+Escape ignored, Escape ends with 0.
"$ZELMO" &
PID=$!
WIN=$(wait_for_window ZELMO) || { echo "FAIL: no window"; exit 1; }
wait_for_screen 30 shot1.ppm title_shown && titled=yes || titled=no
check "frames are presented: the title on black after the pause" "$titled" yes
check "fullscreen window size" "$(geometry "$WIN")" "0,0 800x600"
check "the window has the 16x16 icon" "$(xprop -id "$WIN" _NET_WM_ICON | grep -o 'Icon (16 x 16)')" "Icon (16 x 16)"
check "the window class" "$(xprop -id "$WIN" WM_CLASS)" 'WM_CLASS(STRING) = "ZELMO", "ZELMO"'

wait_for_focus "$WIN"
press_key F1
WIN=$(wait_for_new_window ZELMO "$WIN") || { echo "FAIL: F1 made no new window"; exit 1; }
xdotool windowmove "$WIN" 40 30 windowsize "$WIN" 500 400
wait_until 20 geometry_is "$WIN" "40,30 500x400"
check "windowed after F1, moved and resized" "$(geometry "$WIN")" "40,30 500x400"
stretched() { [ "$(pixel "$1" 290 230)" != "0,0,0" ] && [ "$(pixel "$1" 290 60)" = "0,0,0" ]; }
wait_for_screen 20 shot2.ppm stretched && lit=yes || lit=no
check "the window presents the title stretched to its size" "$lit" yes

wait_for_focus "$WIN"
press_key F1
WIN=$(wait_for_new_window ZELMO "$WIN") || { echo "FAIL: second F1 made no new window"; exit 1; }
wait_until 20 geometry_is "$WIN" "0,0 800x600"
check "fullscreen again" "$(geometry "$WIN")" "0,0 800x600"
wait_for_focus "$WIN"
press_key F1
WIN=$(wait_for_new_window ZELMO "$WIN") || { echo "FAIL: third F1 made no new window"; exit 1; }
wait_until 20 geometry_is "$WIN" "40,30 500x400"
check "the window reopens at its place with its size" "$(geometry "$WIN")" "40,30 500x400"

# Alt+Escape is a system key: the run goes on, as the switch that a later F1 makes shows.
wait_for_focus "$WIN"
xdotool keydown alt keydown Escape sleep 0.15 keyup Escape keyup alt
press_key F1
NEXT=$(wait_for_new_window ZELMO "$WIN") && alive=yes || alive=no
check "Alt+Escape is a system key, not Escape" "$alive" yes
wait_for_focus "$NEXT"
press_key Escape
wait_exit $PID 20
check "Escape ends the run with code 0" "$EXIT_CODE" 0

# Run 2: closing the window ends the run with code 0.
"$ZELMO" &
PID=$!
WIN=$(wait_for_window ZELMO) || { echo "FAIL: no window"; exit 1; }
"$CLOSE" "$WIN"
wait_exit $PID 20
check "closing the window: code 0" "$EXIT_CODE" 0

# Run 3: without any font the program still runs (its text just does not show).
echo '<?xml version="1.0"?><fontconfig><cachedir>'"$WORK"'/fc-cache</cachedir></fontconfig>' >fonts.conf
FONTCONFIG_FILE="$WORK/fonts.conf" "$ZELMO" 2>fonterr.txt &
PID=$!
WIN=$(wait_for_window ZELMO) || { echo "FAIL: no window without fonts"; cat fonterr.txt; exit 1; }
wait_for_screen 30 shot3.ppm title_shown || echo "no title without fonts"
xdotool mousemove 400 300
click 1
wait_for_screen 20 shot4.ppm field_shown && lit=yes || lit=no
check "without fonts: the game plays" "$lit" yes
press_key Escape
wait_exit $PID 20
check "without fonts: Escape ends with code 0" "$EXIT_CODE" 0

echo "e2e_shell: $FAILURES failure(s)"
[ "$FAILURES" -eq 0 ]
