# SPDX-License-Identifier: MIT
# Shared helpers for the end-to-end tests: a private Xvfb server, input held as a person holds it,
# fast screenshots, and waiting on what can be observed, with deadlines.
# Source it; every wait returns non-zero when its deadline passes.

# start_xvfb [WxHxDEPTH]: the screen, 800x600x24 unless given.
start_xvfb() {
    XVFB_DIR=$(mktemp -d)
    # -displayfd picks a free display number and tells us which. -noreset: without it the server
    # resets when its last client leaves, and refuses the next one while it does.
    Xvfb -displayfd 3 -screen 0 "${1:-800x600x24}" -nolisten tcp -noreset 3>"$XVFB_DIR/display" 2>"$XVFB_DIR/xvfb.log" &
    XVFB_PID=$!
    wait_until 20 test -s "$XVFB_DIR/display" || { echo "Xvfb did not start"; cat "$XVFB_DIR/xvfb.log"; return 1; }
    export DISPLAY=":$(cat "$XVFB_DIR/display")"
    unset SDL_VIDEODRIVER
    wait_until 20 xdpyinfo >/dev/null 2>&1 || { echo "Xvfb does not answer"; return 1; }
}

# A window manager (openbox), for the tests that want the windowing a desktop has. It runs once the
# window its root property names exists (an ended manager leaves the property behind).
window_manager_runs() {
    local check
    check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # //p')
    [ -n "$check" ] && xprop -id "$check" _NET_WM_NAME 2>/dev/null | grep -q Openbox
}
start_window_manager() {
    openbox --sm-disable >>"$XVFB_DIR/openbox.log" 2>&1 &
    WM_PID=$!
    wait_until 20 window_manager_runs || { echo "openbox did not start"; cat "$XVFB_DIR/openbox.log"; return 1; }
}

stop_xvfb() {
    [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null && wait "$WM_PID" 2>/dev/null
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    [ -n "${XVFB_DIR:-}" ] && rm -rf "$XVFB_DIR"
    return 0
}

# work_in_scratch_dir [COMMAND]: a scratch folder, WORK, made the current one; at exit COMMAND (if
# given) runs, the servers stop and the folder goes.
work_in_scratch_dir() {
    WORK=$(mktemp -d)
    trap "${1:-}${1:+; }stop_xvfb; rm -rf '$WORK'" EXIT
    cd "$WORK"
}

# wait_until SECONDS COMMAND...: runs the command every 50 ms until it succeeds or the time is up.
wait_until() {
    local deadline=$(( $(date +%s%N) / 1000000 + $1 * 1000 ))
    shift
    while true; do
        "$@" && return 0
        [ $(( $(date +%s%N) / 1000000 )) -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# The newest window of a class, if any.
window_of() { xdotool search --class "$1" 2>/dev/null | tail -n 1; }
has_window() { [ -n "$(window_of "$1")" ]; }

# Waits (up to 20 s) until a window of the class exists; prints its id.
wait_for_window() {
    wait_until 20 has_window "$1" || return 1
    window_of "$1"
}

# Waits (up to 20 s) until the newest window of the class is another than the given id; prints it.
wait_for_new_window() {
    local class=$1 old=$2
    new_window_is_there() { local id; id=$(window_of "$class"); [ -n "$id" ] && [ "$id" != "$old" ]; }
    wait_until 20 new_window_is_there || return 1
    window_of "$class"
}

# Waits (up to 20 s) until the window has the keyboard focus, where xdotool's keys go.
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
wait_for_focus() { wait_until 20 has_focus "$1"; }

# Waits for a child process to end within the given seconds; sets EXIT_CODE to its exit code,
# or to "timeout" (and kills it outright: it may be deaf to SIGTERM). Must run in the shell that
# started the process.
wait_exit() {
    EXIT_CODE=timeout
    if wait_until "$2" sh -c "! kill -0 $1 2>/dev/null"; then
        wait "$1"
        EXIT_CODE=$?
        return 0
    fi
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

# check_window_and_escape WHAT PID: the game started as PID opens its window, and Escape held in
# it ends the run with code 0; WHAT names the game in the two checks.
check_window_and_escape() {
    local window started
    window=$(wait_for_window ZELMO) && started=yes || started=no
    check "$1 opens its window" "$started" yes
    wait_for_focus "$window"
    check_escape "Escape ends $1 with code 0" "$2" 30
}

# check_escape WHAT PID SECONDS: Escape, held, ends the game started as PID with code 0 within the time.
check_escape() {
    press_key Escape
    wait_exit "$2" "$3"
    check "$1" "$EXIT_CODE" 0
}

# A key or button held as a person holds it: down, 150 ms (several frames), up.
press_key() { xdotool keydown "$1" sleep 0.15 keyup "$1"; }
click() { xdotool mousedown "$1" sleep 0.15 mouseup "$1"; }

# Screenshots through xwd, which takes well under a second even on a busy machine, kept as binary
# PPM for screen_probe (SCREEN_PROBE names it) to read facts off.
screenshot() { xwd -root -silent | convert xwd:- "ppm:$1" 2>/dev/null; }
window_screenshot() { xwd -id "$1" -silent | convert xwd:- "ppm:$2" 2>/dev/null; }

# The "r,g,b" of one pixel of a screenshot.
pixel() { "${SCREEN_PROBE:?names the screen_probe helper built with the tests}" "$1" pixel "$2" "$3"; }
# The share (0..1) of a region WxH+X+Y's pixels that pass a test of screen_probe (lit, blue, red, smoke).
region_mean() { "$SCREEN_PROBE" "$1" mean "$2" "$3" 2>/dev/null || echo 0; }
# Whether two screenshots differ anywhere.
differ() { "$SCREEN_PROBE" "$1" differs "$2"; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { print (a > b) ? "yes" : "no" }'; }
# The game's 800x600 screen: the title (black at the top, the picture in the middle), or the field.
title_shown() { [ "$(pixel "$1" 400 50)" = "0,0,0" ] && [ "$(pixel "$1" 400 300)" != "0,0,0" ]; }
field_shown() { [ "$(pixel "$1" 400 50)" != "0,0,0" ]; }
# The charge icons on the bottom plank, counted from the left, up to five (a sixth would stand on the
# text), and the fuse's countdown beside them while a charge flies.
icon_at() { above "$(pixel "$1" "$2" 582 | cut -d, -f1)" 200; }  # yes when the icon whose disc is at x shows
icons() {
    local n=0
    while [ $n -lt 5 ] && [ "$(icon_at "$1" $((34 + 37 * n)))" = yes ]; do n=$((n + 1)); done
    echo $n
}
countdown_shown() { [ "$(above "$(region_mean "$1" 160x20+600+568 blue)" 0.02)" = yes ]; }
# Keeps a screenshot as PNG.
keep_png() { convert "ppm:$1" "$2"; }

# wait_for_screen SECONDS FILE TEST...: takes screenshots into FILE until the test (a command given
# the file as its last argument) passes, or the time is up.
wait_for_screen() {
    local seconds=$1 file=$2
    shift 2
    shot_passes() { screenshot "$file" && "$@" "$file"; }
    wait_until "$seconds" shot_passes "$@"
}

FAILURES=0
check() {
    if [ "$2" = "$3" ]; then
        echo "ok: $1"
    else
        echo "FAIL: $1 (got '$2', wanted '$3')"
        FAILURES=$((FAILURES + 1))
    fi
}

# check_that WHAT COMMAND...: a check that the command succeeds.
check_that() {
    local what=$1 passed=yes
    shift
    "$@" || passed=no
    check "$what" "$passed" yes
}

# The test's last line: how many checks failed; the status is 0 only when none did.
finish() {
    echo "$(basename "$0" .sh): $FAILURES failure(s)"
    [ "$FAILURES" -eq 0 ]
}
