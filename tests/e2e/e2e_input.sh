#!/bin/bash
# SPDX-License-Identifier: MIT
# Input that must never be lost, on the real binary under Xvfb with a window manager (openbox):
# quick Escape taps (down and up with no pause) each end a fresh run with code 0, quick F1 taps
# each switch the mode once (counted by the windows made), F1 held through its repeat switches once, instant clicks (a touchpad's tap) on the title each start a round, and
# a burst of a hundred thousand pointer moves with a click inside, sent while the process is
# stopped, loses no button message, and a button let go while the window is minimised reads released.
# Then the game started at the same moment as the window manager, again and again, and termination
# signals while the window waits for a window manager that does not map it.
#
# Usage: e2e_input.sh ZELMO input [TAPS=10] [RUNS=3]  the taps (RUNS of ten F1 taps), clicks, the
#                                                     stall and the minimised hold
#        e2e_input.sh ZELMO startup [STARTS=30]        the starts and the signals
set -u
ZELMO=$(realpath "$1")
PART=$2
TAPS=${3:-10}
RUNS=${4:-3}
STARTS=${3:-30}
. "$(dirname "$0")/xvfb_lib.sh"
work_in_scratch_dir 'kill -CONT ${PID:-0} ${WM_PID:-0} 2>/dev/null'

start_xvfb || exit 1
start_window_manager || exit 1

# Waits until the newest ZELMO window other than $1 (none: any) has the keyboard focus; prints it.
focused_window() {
    local id
    id=$( [ -n "$1" ] && wait_for_new_window ZELMO "$1" || wait_for_window ZELMO ) || return 1
    wait_for_focus "$id" || return 1
    echo "$id"
}

if [ "$PART" = startup ]; then
    # Started at the same moment as the window manager (as an xinitrc or an autostart does): each start
    # shows the title within the deadline, and SIGTERM ends it.
    kill "$WM_PID"
    wait "$WM_PID" 2>/dev/null
    shown=0
    for i in $(seq "$STARTS"); do
        openbox --sm-disable >>"$XVFB_DIR/openbox.log" 2>&1 &
        WM_PID=$!
        "$ZELMO" 2>>stderr.txt &
        PID=$!
        wait_for_screen 30 start.ppm title_shown && shown=$((shown + 1)) || echo "start $i: no title"
        kill -TERM $PID
        wait_exit $PID 20
        [ "$EXIT_CODE" = 0 ] || echo "start $i: SIGTERM, exit $EXIT_CODE"
        kill "$WM_PID"
        wait "$WM_PID" 2>/dev/null
    done
    check "$STARTS starts beside a starting window manager each show the title" "$shown" "$STARTS"

    # A window manager that does not get to the window (stopped): after the deadline the game goes on,
    # shown once the manager is; and each termination signal ends a start-up that waits for it, with
    # code 0.
    start_window_manager || exit 1
    kill -STOP "$WM_PID"
    "$ZELMO" 2>late.txt &
    PID=$!
    wait_until 30 grep -q "not shown the window yet" late.txt
    kill -CONT "$WM_PID"
    check_that "past the deadline the game goes on and shows the title" wait_for_screen 30 start.ppm title_shown
    wait_for_focus "$(window_of ZELMO)"
    check_escape "Escape then ends it with code 0" $PID 20
    check "one line said the wait was over" "$(cat late.txt)" "zelmo: the window manager has not shown the window yet; going on"
    kill -STOP "$WM_PID"
    for signal in TERM INT HUP; do
        env --default-signal=INT "$ZELMO" 2>>stderr.txt &  # a background job starts with SIGINT ignored
        PID=$!
        wait_for_window ZELMO >/dev/null || echo "$signal: no window made"
        kill -"$signal" $PID
        wait_exit $PID 20
        check "SIG$signal while the window waits for the manager: code 0" "$EXIT_CODE" 0
    done
    [ -s stderr.txt ] && { echo "stderr:"; sed 's/^/  /' stderr.txt; }
    finish
    exit
fi

# Quick Escape taps, one to each fresh run.
ended=0
for i in $(seq "$TAPS"); do
    "$ZELMO" 2>>stderr.txt &
    PID=$!
    if focused_window "" >/dev/null; then
        xdotool keydown Escape keyup Escape
        wait_exit $PID 20
        [ "$EXIT_CODE" = 0 ] && ended=$((ended + 1)) || echo "tap $i: exit $EXIT_CODE"
    else
        echo "tap $i: no focused window"
        kill $PID 2>/dev/null
        wait $PID 2>/dev/null
    fi
done
check "$TAPS quick Escape taps end $TAPS runs with code 0" "$ended" "$TAPS"

# The last window's mode: fullscreen (marked so, or undecorated) or a framed window.
mode_of() {
    case "$(xprop -id "$1" _NET_WM_STATE 2>/dev/null)" in *_NET_WM_STATE_FULLSCREEN*) echo fullscreen; return ;; esac
    case "$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p')" in
        "0, 0, 0, 0") echo fullscreen ;;
        "") echo unmanaged ;;
        *) echo windowed ;;
    esac
}
definite() { [ "$(mode_of "$1")" != unmanaged ]; }
# Top-level windows made by the client that made window $1, as xev saw them made on the root window:
# every switch makes one, and none can hide between two looks.
made_by_game() {
    local id n=0
    for id in $(sed -n 's/.*parent 0x[0-9a-f]*, window \(0x[0-9a-f]*\),.*/\1/p' xev.txt); do
        [ $((id >> 21)) = $(($1 >> 21)) ] && n=$((n + 1))
    done
    echo $n
}

# Quick F1 taps as a player makes them on a loaded machine (60 ms presses, 150 ms apart), ten against
# each of RUNS fresh runs: every press switches once, so ten windows are made and the last is
# fullscreen again.
exact=0
for run in $(seq "$RUNS"); do
    "$ZELMO" 2>>stderr.txt &
    PID=$!
    WIN=$(focused_window "") || { echo "FAIL: no window"; exit 1; }
    xev -root -event substructure -event property >xev.txt 2>&1 &
    XEV=$!
    xprop -root -format _ZELMO_E2E 8s -set _ZELMO_E2E "$run"
    wait_until 10 grep -q _ZELMO_E2E xev.txt
    xdotool $(for tap in $(seq 10); do printf 'keydown F1 sleep 0.06 keyup F1 sleep 0.09 '; done)
    all_made() { [ "$(made_by_game "$WIN")" -ge 10 ]; }
    wait_until 60 all_made
    LAST=$(window_of ZELMO)
    wait_for_focus "$LAST"
    wait_until 10 definite "$LAST"
    kill $XEV
    made=$(made_by_game "$WIN")
    mode=$(mode_of "$LAST")
    [ "$made" = 10 ] && [ "$mode" = fullscreen ] && exact=$((exact + 1)) || echo "run $run: $made windows made, $mode"
    [ "$run" = "$RUNS" ] || check_escape "run $run: Escape ends it with code 0" $PID 20 >/dev/null
done
check "ten quick F1 taps, $RUNS runs: ten switches, fullscreen after each" "$exact" "$RUNS"
WIN=$LAST

# F1 held for two seconds, long enough for the key's repeat: one switch, not one per repeat.
xset r rate 250 30
xev -root -event substructure -event property >xev.txt 2>&1 &
XEV=$!
xprop -root -format _ZELMO_E2E 8s -set _ZELMO_E2E held
wait_until 10 grep -q _ZELMO_E2E xev.txt
xdotool keydown F1 sleep 2 keyup F1
WIN=$(focused_window "$WIN") || echo "F1 held made no new window"
wait_until 10 definite "$WIN"
kill $XEV
check "F1 held through its repeat switches once" "$(made_by_game "$WIN")" 1
press_key Escape
wait_exit $PID 20
check "Escape after the switches: code 0" "$EXIT_CODE" 0

round_shown() { field_shown "$1" && [ "$(icons "$1")" = 5 ]; }
four_left() { [ "$(icons "$1")" = 4 ]; }
# No charge flies and none was launched after the first: four left, or five when its blast toasted a
# fifth critter, which earns one.
none_flying() { ! countdown_shown "$1" && [ "$(icons "$1")" -ge 4 ]; }

# Instant clicks (press and release with no pause, as a touchpad's tap gives) on the title: each
# fresh run's title is left for a round.
started=0
for i in $(seq "$TAPS"); do
    "$ZELMO" 2>>stderr.txt &
    PID=$!
    if focused_window "" >/dev/null && wait_for_screen 30 title.ppm title_shown; then
        xdotool mousemove 400 300 click 1
        wait_for_screen 30 round.ppm round_shown && started=$((started + 1)) || echo "click $i: no round"
    else
        echo "click $i: no title"
    fi
    press_key Escape
    wait_exit $PID 20
done
check "$TAPS instant clicks on the title start $TAPS rounds" "$started" "$TAPS"

# A stall: while the process is stopped, the button goes down, the pointer moves a hundred thousand
# times and the button comes up. When it goes on, the press and release arrive between two frames;
# the click still counts, so exactly one charge launches: a lost press would launch none, and a lost
# release would hold the button down and launch the next charge as soon as the first is spent.
# start_round X Y: a new copy, its title, and a click at X Y into a round (before.ppm shows it).
start_round() {
    "$ZELMO" 2>>stderr.txt &
    PID=$!
    WIN=$(focused_window "") || { echo "FAIL: no window"; exit 1; }
    wait_for_screen 30 title.ppm title_shown || echo "no title"
    xdotool mousemove "$1" "$2"
    click 1
    wait_for_screen 30 before.ppm round_shown
}
start_round 400 300 && inround=yes || inround=no
check "in a round with five charges" "$inround" yes

kill -STOP $PID
xdotool mousemove 300 200 mousedown 1
for burst in $(seq 10); do
    args=()
    for i in $(seq 5000); do args+=(mousemove $((100 + i % 500)) $((100 + i % 300)) mousemove 450 350); done
    xdotool "${args[@]}"
done
xdotool mouseup 1
kill -CONT $PID
# Frames go on: three looks that differ, each from the one before (the critters wander).
changed=0
cp before.ppm last.ppm
differs() { differ last.ppm "$1"; }
for look in 1 2 3; do
    if wait_for_screen 30 look.ppm differs; then
        changed=$((changed + 1))
        cp look.ppm last.ppm
    fi
done
check "frames go on after the stall" "$changed" 3
wait_for_screen 30 launched.ppm four_left && launched=one || launched=none
check "the click made during the stall launched a charge" "$launched" one
# The charge blasts by its fuse within ten seconds and its blast ends 1.5 s later; a held button
# would then launch the next one at once. Countdown gone: the charge is spent.
wait_for_screen 30 spent.ppm none_flying && spent=yes || spent=no
check "the charge is spent" "$spent" yes
for look in 1 2 3; do wait_for_screen 30 look.ppm differs && cp look.ppm last.ppm; done
check "the button released during the stall reads released: no second launch" \
    "$(none_flying last.ppm && echo none || echo launched)" none
press_key Escape
wait_exit $PID 20
check "Escape after the stall: code 0" "$EXIT_CODE" 0

# A button held while the window is minimised, and let go there, reads released when it comes back:
# the charge it launched blasts (the right button) and no second one follows.
start_round 690 470 || echo "no round"
xdotool mousedown 1
wait_for_screen 30 launched.ppm four_left || echo "no launch"
iconic() { xprop -id "$WIN" WM_STATE 2>/dev/null | grep -q 'state: Iconic'; }
xdotool windowminimize "$WIN"
wait_until 20 iconic || echo "not minimised"
xdotool mouseup 1
xdotool windowactivate "$WIN" 2>/dev/null
wait_for_focus "$WIN" || echo "not restored"
click 3
wait_for_screen 30 spent.ppm none_flying || echo "no blast"
cp spent.ppm last.ppm
for look in 1 2 3; do wait_for_screen 30 look.ppm differs && cp look.ppm last.ppm; done
check "a button let go while minimised reads released: no second launch" \
    "$(none_flying last.ppm && echo none || echo launched)" none
press_key Escape
wait_exit $PID 20
check "Escape after the minimised hold: code 0" "$EXIT_CODE" 0

[ -s stderr.txt ] && { echo "stderr:"; sed 's/^/  /' stderr.txt; }
finish
