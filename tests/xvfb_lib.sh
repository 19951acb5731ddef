# Shared helpers for the end-to-end tests: a private Xvfb server, waiting, screenshots.
# Source it; it defines start_xvfb, stop_xvfb, wait_for_window, screenshot, pixel.

start_xvfb() {
    XVFB_DIR=$(mktemp -d)
    # -displayfd picks a free display number and tells us which.
    Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$XVFB_DIR/display" 2>"$XVFB_DIR/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$XVFB_DIR/display" ] && break
        sleep 0.1
    done
    [ -s "$XVFB_DIR/display" ] || { echo "Xvfb did not start"; cat "$XVFB_DIR/xvfb.log"; return 1; }
    export DISPLAY=":$(cat "$XVFB_DIR/display")"
    unset SDL_VIDEODRIVER
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    [ -n "${XVFB_DIR:-}" ] && rm -rf "$XVFB_DIR"
    return 0
}

# Waits until a window of the given class exists; prints its id.
wait_for_window() {
    for _ in $(seq 100); do
        id=$(xdotool search --class "$1" 2>/dev/null | tail -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Waits for a child process to end within the given seconds; sets EXIT_CODE to its exit code,
# or to "timeout" (and kills it). Must run in the shell that started the process.
wait_exit() {
    EXIT_CODE=timeout
    for _ in $(seq $(( $2 * 20 ))); do
        if ! kill -0 "$1" 2>/dev/null; then
            wait "$1"
            EXIT_CODE=$?
            return 0
        fi
        sleep 0.05
    done
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

screenshot() { import -window root "$1" 2>/dev/null; }

# The "r,g,b" of one pixel of a screenshot.
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
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
