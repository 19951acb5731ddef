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
( unset DISPLAY SDL_VIDEODRIVER; timeout 5 "$ZELMO" 2>err.txt; echo $? >code.txt )
check "no display: exit code" "$(cat code.txt)" 1
check "no display: one line on stderr" "$(wc -l <err.txt)" 1
grep -q "display" err.txt || { echo "FAIL: message does not mention the display"; FAILURES=$((FAILURES+1)); }

start_xvfb || exit 1

# Run 1: fullscreen start, F1 to a window and back, Alt+Escape ignored, Escape ends with 0.
"$ZELMO" &
PID=$!
WIN=$(wait_for_window ZELMO) || { echo "FAIL: no window"; exit 1; }
sleep 1.5  # past the start-up pause: the title
eval "$(xdotool getwindowgeometry --shell "$WIN")"
check "fullscreen window size" "${WIDTH}x${HEIGHT}" "800x600"
check "the window has the 16x16 icon" "$(xprop -id "$WIN" _NET_WM_ICON | grep -o 'Icon (16 x 16)')" "Icon (16 x 16)"
check "the window class" "$(xprop -id "$WIN" WM_CLASS)" 'WM_CLASS(STRING) = "ZELMO", "ZELMO"'
screenshot shot1.png
check "frames are presented: black above the title" "$(pixel shot1.png 400 50)" "0,0,0"
[ "$(pixel shot1.png 400 300)" != "0,0,0" ] && lit=yes || lit=no
check "frames are presented: the title in the middle" "$lit" yes

xdotool key F1
sleep 0.7
WIN=$(wait_for_window ZELMO)
xdotool windowmove "$WIN" 40 30 windowsize "$WIN" 500 400
sleep 0.7
eval "$(xdotool getwindowgeometry --shell "$WIN")"
check "windowed after F1" "${WIDTH}x${HEIGHT}" "500x400"
screenshot shot2.png
[ "$(pixel shot2.png 290 230)" != "0,0,0" ] && lit=yes || lit=no
check "the window presents the title stretched to its size" "$lit" yes

xdotool key F1
sleep 0.7
xdotool key F1
sleep 0.7
WIN=$(wait_for_window ZELMO)
eval "$(xdotool getwindowgeometry --shell "$WIN")"
check "window reopens with its size" "${WIDTH}x${HEIGHT}" "500x400"
check "window reopens at its place" "${X},${Y}" "40,30"

xdotool key alt+Escape
sleep 0.5
kill -0 $PID 2>/dev/null && alive=yes || alive=no
check "Alt+Escape is a system key, not Escape" "$alive" yes
xdotool key Escape
wait_exit $PID 1
check "Escape ends the run with code 0 within a second" "$EXIT_CODE" 0

# Run 2: closing the window ends the run with code 0.
"$ZELMO" &
PID=$!
WIN=$(wait_for_window ZELMO) || { echo "FAIL: no window"; exit 1; }
sleep 0.5
"$CLOSE" "$WIN"
wait_exit $PID 2
check "closing the window: code 0" "$EXIT_CODE" 0

# Run 3: without any font the program still runs (its text just does not show).
echo '<?xml version="1.0"?><fontconfig><cachedir>'"$WORK"'/fc-cache</cachedir></fontconfig>' >fonts.conf
FONTCONFIG_FILE="$WORK/fonts.conf" "$ZELMO" 2>fonterr.txt &
PID=$!
WIN=$(wait_for_window ZELMO) || { echo "FAIL: no window without fonts"; cat fonterr.txt; exit 1; }
sleep 1.5
xdotool mousemove 400 300 mousedown 1 sleep 0.2 mouseup 1 sleep 0.5
screenshot shot4.png
[ "$(pixel shot4.png 400 300)" != "0,0,0" ] && lit=yes || lit=no
check "without fonts: the game plays" "$lit" yes
xdotool key Escape
wait_exit $PID 2
check "without fonts: Escape ends with code 0" "$EXIT_CODE" 0

echo "e2e_shell: $FAILURES failure(s)"
[ "$FAILURES" -eq 0 ]
