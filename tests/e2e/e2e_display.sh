#!/bin/bash
# SPDX-License-Identifier: MIT
# Fullscreen without a mode of the picture's shape shows it letterboxed. The user's display comes
# back, mode and millimetres, on one Xvfb at 1920x1080 with an 800x600 mode, through twenty ends of
# one or two fullscreen copies (quits, signals, kills and crashes, either order), and a dead copy's
# record yields to the user's own change. Without XDG_RUNTIME_DIR, as in a root shell or a
# container: the copies share the user's mode on the display itself.
# The command line leaves the mode alone: help (also with no display at all), version, an unknown
# option and a stray argument; --window starts framed (under openbox) and F1 then takes the temporary mode.
#
# Usage: e2e_display.sh ZELMO VERSION
set -u
ZELMO=$(realpath "$1")
VERSION=$2
. "$(dirname "$0")/xvfb_lib.sh"
work_in_scratch_dir
unset XDG_RUNTIME_DIR

( unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER; timeout 20 "$ZELMO" --help >out.txt 2>err.txt; echo $? >code.txt )
check "zelmo --help with no display: code 0, the usage, nothing on stderr" \
    "$(cat code.txt) $(head -n 1 out.txt) $(wc -c <err.txt)" "0 Usage: zelmo [OPTION]... 0"

start_xvfb 1920x1080x24 || exit 1

# No mode of the picture's shape yet (only 1920x1080), under a window manager, as on a wide panel or a
# Wayland desktop: the picture keeps its shape between black bars, and the pointer maps through it.
start_window_manager || exit 1
"$ZELMO" 2>>err.txt &
PID=$!
bars() { [ "$(pixel "$1" 100 540)" = 0,0,0 ] && [ "$(pixel "$1" 1800 540)" = 0,0,0 ]; }
boxed_title() { bars "$1" && [ "$(pixel "$1" 960 90)" = 0,0,0 ] && [ "$(pixel "$1" 960 540)" != 0,0,0 ]; }
boxed_field() { bars "$1" && [ "$(pixel "$1" 960 90)" != 0,0,0 ] && [ "$(pixel "$1" 250 540)" != 0,0,0 ] && [ "$(pixel "$1" 1670 540)" != 0,0,0 ]; }
cursor_at_pointer() { [ "$(above "$(region_mean "$1" 40x40+1190+390 red)" 0.02)" = yes ]; }
check_that "without a 4:3 mode the title is shown between black bars" wait_for_screen 30 box.ppm boxed_title
xdotool mousemove 960 540
click 1
check_that "a click in the middle starts a round, between the bars" wait_for_screen 30 box.ppm boxed_field
xdotool mousemove 1200 400
check_that "the game's pointer is drawn where the pointer is" wait_for_screen 30 box.ppm cursor_at_pointer
wait_for_focus "$(window_of ZELMO)"
check_escape "Escape ends it with code 0" $PID 30
kill "$WM_PID"
wait "$WM_PID" 2>/dev/null
WM_PID=

xrandr --newmode 800x600 0 800 0 0 0 600 0 0 0 && xrandr --addmode screen 800x600 || { echo "FAIL: no 800x600 mode"; exit 1; }

mode() { xrandr 2>/dev/null | sed -n 's/.* current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }
mode_is() { [ "$(mode)" = "$1" ]; }
# answers ARG CODE TEXT: zelmo ARG ends at once with CODE, saying TEXT (for 0 the first line on
# stdout and nothing on stderr, otherwise one line on stderr), and the display keeps its mode.
answers() {
    timeout 20 "$ZELMO" "$1" >out.txt 2>err.txt
    local code=$? said
    [ "$code" = 0 ] && said="$(head -n 1 out.txt)$(cat err.txt)" || said="$(cat err.txt) ($(wc -l <err.txt) line)"
    check "zelmo $1: exit code, what it says, the mode" "$code $said $(mode)" "$2 $3 1920x1080"
}
answers --help 0 "Usage: zelmo [OPTION]..."
answers --version 0 "zelmo $VERSION"
answers --bogus 2 "zelmo: unknown option '--bogus'; 'zelmo --help' lists the options (1 line)"
answers extra 2 "zelmo: unexpected argument 'extra'; 'zelmo --help' lists the options (1 line)"

shown_windows() { xdotool search --onlyvisible --class ZELMO 2>/dev/null | wc -l; }
windows_shown() { [ "$(shown_windows)" -ge "$1" ]; }
# The mode and the screen's millimetres, the user's as the script began; the guardians on this display.
screen() { echo "$(mode) $(xdpyinfo | sed -n 's/.*pixels (\(.*\) millimeters).*/\1/p')"; }
USER_SCREEN=$(screen)
users() { [ "$(screen)" = "$USER_SCREEN" ]; }
guardians() { for g in $(pgrep -x zelmo-guardian); do grep -qzx "DISPLAY=$DISPLAY" /proc/$g/environ 2>/dev/null && echo $g; done; }
gone() { [ -z "$(guardians)" ]; }

# start_copy N: starts a copy and waits until N of its windows are shown, in the temporary mode.
start_copy() {
    "$ZELMO" 2>>err.txt &
    PID=$!
    wait_until 30 windows_shown "$1" && wait_until 20 mode_is 800x600 || echo "FAIL: copy $1 did not go fullscreen"
}
# quit_copy PID HOW: a signal, or Escape held (in the newest window), and waits for the end; ENDED
# is "ok" for code 0 or for the code of SIGKILL, SIGSEGV (ASan's 1) or SIGABRT.
quit_copy() {
    [ "$2" = Escape ] && press_key Escape || kill -"$2" "$1"
    wait_exit "$1" 30
    case "$2:$EXIT_CODE" in KILL:137 | SEGV:1 | SEGV:139 | ABRT:134 | *:0) ENDED=ok ;; *) ENDED="$2 $EXIT_CODE" ;; esac
}

# Twenty ends on one display, as a player's lives for days: a copy, or two (older:newer, the older
# quitting first; ~ the newer first) with the one left keeping 800x600. After each the user's mode
# and millimetres (kills and crashes need no other copy: the guardian), and no guardian left.
start_copy 1
check "a guardian, in its own session, without a terminal" "$(echo $(ps -o sid=,tty= -p "$(guardians)"))" "$(guardians) ?"
quit_copy $PID Escape
for cycle in KILL SEGV TERM:KILL ~KILL:TERM ABRT HUP KILL:KILL Escape ~SEGV:KILL ~HUP:KILL TERM:TERM ~TERM:TERM KILL \
    SEGV:Escape HUP ~ABRT:SEGV KILL:TERM Escape SEGV KILL; do
    start_copy 1
    set -- $PID ${cycle//:/ } && held="ok 800x600"
    if [ $# = 3 ]; then  # to: the copy quitting first, the one left, how each quits
        start_copy 2
        [ "${2#\~}" = "$2" ] && set -- $1 $PID "$2" "$3" || set -- $PID $1 "${2#\~}" "$3"
        quit_copy $1 "$3"
        held="$ENDED $(mode)"
        set -- $2 "$4"
    fi
    quit_copy $1 "$2"
    start=$(date +%s%N)
    wait_until 10 users
    times="${times:-} $2:$((($(date +%s%N) - start) / 1000000))"
    check "$cycle: the copy left holds 800x600, then the user's mode and size" "$held $ENDED $(screen)" "ok 800x600 ok $USER_SCREEN"
    check_that "$cycle: no guardian left" wait_until 10 gone
done
echo "the display back after each end, from it (signal:ms):$times"

# --window: a framed window, the mode left alone; F1 then goes fullscreen, in the temporary mode.
start_window_manager || exit 1
"$ZELMO" --window 2>>err.txt &
PID=$!
WIN=$(wait_for_window ZELMO) || { echo "FAIL: zelmo --window: no window"; exit 1; }
framed() { xprop -id "$WIN" _NET_FRAME_EXTENTS 2>/dev/null | grep -qE '= [0-9, ]*[1-9]'; }
check_that "zelmo --window: a framed window" wait_until 20 framed
check "zelmo --window: the display stays at 1920x1080" "$(mode)" 1920x1080
wait_for_focus "$WIN"
press_key F1
check_that "zelmo --window, F1: fullscreen in the temporary mode" wait_until 20 mode_is 800x600
newest_focused() { has_focus "$(window_of ZELMO)"; }
wait_until 20 newest_focused
check_escape "zelmo --window: Escape ends it with code 0" $PID 30
check "zelmo --window: the display is back at the user's mode and size" "$(screen)" "$USER_SCREEN"

# A record whose holders died with their guardian yields to the user's own change since (back at
# 1920x1080, then 800x600 chosen): the next copy leaves the display at 800x600.
start_copy 1
kill -KILL $(guardians) $PID
wait $PID 2>/dev/null
xrandr -s 0 && xrandr -s 800x600
start_copy 1
quit_copy $PID TERM
check "a stale record: the display stays in the mode the user chose since" "$(mode)" 800x600

finish
