#!/bin/bash
# SPDX-License-Identifier: MIT
# The game under Xvfb, played with xdotool and recorded (--record): the title after the pause, a
# click into a round, a left click launching a charge towards the pointer, a right click blasting
# it, both buttons held to the round's end, a click into the next, F1 to a window, Escape. Then the
# record replayed: without a display (--check), cut at a random byte, with a byte changed, and
# watched to its end; and a record on a full disk. With ZELMO_SCREENSHOTS=DIR the screenshots are
# kept there; with a second argument the record is left there (the page replays it).
set -u
ZELMO=$(realpath "$1")
KEEP_RECORD=${2:-}
. "$(dirname "$0")/xvfb_lib.sh"
work_in_scratch_dir

start_xvfb || exit 1
"$ZELMO" --record session.zrec &
PID=$!
wait_for_window ZELMO >/dev/null || { echo "FAIL: no window"; exit 1; }

title_shown() {
    [ "$(pixel "$1" 400 60)" = "0,0,0" ] && [ "$(pixel "$1" 400 540)" = "0,0,0" ] &&
        [ "$(above "$(region_mean "$1" 800x400+0+100 lit)" 0.95)" = yes ]
}
check_that "title: the picture fills the band from 100 to 500, black above and below" \
    wait_for_screen 30 title.ppm title_shown

icon_shown() { icon_at "$1" 182; }  # the fifth charge icon's disc
# The round: the field over the whole screen, "Toasted" on the bottom plank, five charges.
round_shown() {
    [ "$(above "$(region_mean "$1" 800x600+0+0 lit)" 0.99)" = yes ] &&
        [ "$(above "$(region_mean "$1" 100x20+200+568 blue)" 0.05)" = yes ] && [ "$(icon_shown "$1")" = yes ]
}
xdotool mousemove 400 300
click 1
xdotool mousemove 380 280
check_that "play: the field covers the screen, Toasted shows, five charges" wait_for_screen 30 play.ppm round_shown
check "play: no countdown before a launch" "$(above "$(region_mean play.ppm 160x20+600+568 blue)" 0.02)" no

# Smoke: grey, neither saturated like the grass, the plank and the hand, nor white like the critters.
smoke_in() { above "$(region_mean "$1" "$2" smoke)" 0.08; }
launched() { [ "$(icons "$1")" = 4 ]; }
# The critters wander at random: a charge may meet one at once, and blast before a look sees it fly;
# then the count after "Toasted:" is no longer the round's first.
toasted_count() { convert "$1" -crop 40x20+290+568 ppm:-; }
toasted_changed() { ! cmp -s <(toasted_count "$1") <(toasted_count play.ppm); }
flying_or_met() { countdown_shown "$1" || toasted_changed "$1"; }
# The charge is spent: no countdown, and still four charges (no second launch; five when the blast
# toasted a fifth critter, which earns one). What the looks catch of the smoke, which lasts under a
# second, is kept to check where it is, but nothing waits for it.
smoke_seen=no
spent_noting_smoke() {
    if [ "$(smoke_in "$1" 800x540+0+0)" = yes ]; then cp "$1" blast.ppm; smoke_seen=yes; fi
    ! countdown_shown "$1" && [ "$(icons "$1")" -ge 4 ]
}

# Launch towards the pointer, then blast with the right button: the charge is gone long before its
# 10-second fuse (a charge that touches a critter on the way blasts by itself, as early). The left
# button is let go at once: held past the end of such an early blast, it would launch the next charge.
xdotool mousemove 200 150 mousedown 1 sleep 0.15 mouseup 1
check_that "a left click launches a charge: one icon fewer" wait_for_screen 10 launched.ppm launched
check_that "the flying charge shows its countdown (unless it met a critter at once)" \
    wait_for_screen 10 flying.ppm flying_or_met
xdotool mousedown 3
check_that "the right button blasts it well before its fuse: the charge is gone, four left" \
    wait_for_screen 8 spent.ppm spent_noting_smoke
xdotool mouseup 3
if [ $smoke_seen = yes ]; then
    check "smoke only on the charge's path, none away from it" \
        "$(smoke_in blast.ppm 240x240+560+360)/$(smoke_in blast.ppm 200x150+300+200)" yes/no
fi

# Holding both buttons launches the next charge as soon as the blast is over, and it blasts at once:
# fewer than four charges (however many a blast earned, the held buttons launch again at each blast's
# end) and no flight that lasts (its countdown would show until its fuse ends).
blasts_at_once() { [ "$(icons "$1")" -lt 4 ] && ! countdown_shown "$1"; }
xdotool mousemove 380 280 mousedown 1 mousedown 3
check_that "a right button held at the launch blasts at once: fewer charges, no countdown" \
    wait_for_screen 8 corner.ppm blasts_at_once
xdotool mouseup 1 mouseup 3

# Each charge left launched and blasted at once by both buttons (pressed only then: held past the
# round's end they would dismiss its banner), the round is over, its banner shows; a click starts
# the next.
banner_shown() { [ "$(icons "$1")" = 0 ] && [ "$(pixel "$1" 400 300 | awk -F, '{ print ($1 > 200 && $3 < 120) }')" = 1 ]; }
spend_a_charge() {
    banner_shown "$1" && return 0
    [ "$(icons "$1")" -gt 0 ] && xdotool mousedown 1 mousedown 3 sleep 0.15 mouseup 1 mouseup 3
    return 1
}
check_that "both buttons spend every charge left: the round is over, its banner shows" \
    wait_for_screen 60 over.ppm spend_a_charge
click 1
check_that "a click starts the next round: five charges" wait_for_screen 10 next.ppm round_shown

window=$(window_of ZELMO)
press_key F1
check "F1 switches to a window" "$(wait_for_new_window ZELMO "$window" >/dev/null && echo yes)" yes
xdotool mousemove 400 300
check_escape "Escape ends the game with code 0" $PID 20

# The record replays without a display, as fast as it can, every checkpoint matching.
replay() { "$ZELMO" --replay "$@" >replay.txt 2>replay.err; echo "$?/$(grep -c "$MATCHED" replay.txt)/$(wc -l <replay.err)"; }
MATCHED="checkpoint matching"
start=$(date +%s%N)
check "the record replays without a display: code 0, every checkpoint matching" \
    "$(unset DISPLAY; replay session.zrec --check)" 0/1/0
echo "replayed in $(( ($(date +%s%N) - start) / 1000000 )) ms: $(cat replay.txt)"
size=$(stat -c %s session.zrec)
cut=$(shuf -i 64-$((size - 1)) -n 1)
head -c "$cut" session.zrec >cut.zrec
check "cut at byte $cut of $size, it replays to its last whole entry and says where it ends" \
    "$(replay cut.zrec --check)/$(grep -c 'cut short at byte' replay.err)" 0/1/1/1
changed=$(shuf -i 0-$((size - 1)) -n 1)
python3 -c "import sys; b = bytearray(open('session.zrec', 'rb').read()); b[$changed] ^= 0x20; sys.stdout.buffer.write(b)" >changed.zrec
check "a byte changed (at $changed) is refused: code 2, one line on stderr, nothing else" \
    "$(replay changed.zrec --check)/$(wc -c <replay.txt)" 2/0/1/0
# Watched, it plays in one window to its end (the recorded F1 switched the game's course, not the
# viewer's window); the viewer's Escape ends a replay at once.
"$ZELMO" --replay session.zrec >replay.txt 2>replay.err &
VIEW=$!
windows=""
noting_windows_until_gone() { windows=$(echo $windows $(window_of ZELMO) | tr ' ' '\n' | sort -u); ! kill -0 $VIEW 2>/dev/null; }
wait_until 300 noting_windows_until_gone
wait_exit $VIEW 5
check "watched, the replay plays to its end in one window: code 0, every checkpoint matching" \
    "$EXIT_CODE/$(echo $windows | wc -w)/$(grep -c "$MATCHED" replay.txt)" 0/1/1
"$ZELMO" --window --replay session.zrec >replay.txt &
check_window_and_escape "a watched replay" $!
[ -n "$KEEP_RECORD" ] && cp session.zrec "$KEEP_RECORD"

# A record the disk cannot take: said once, and the game plays on.
"$ZELMO" --record /dev/full 2>full.err &
PID=$!
wait_for_screen 30 full.ppm title_shown && click 1
check_that "on a full disk the game plays: its round starts" wait_for_screen 30 full.ppm round_shown
check "a record that cannot be written is said once" "$(grep -c 'cannot write the record /dev/full' full.err)/$(wc -l <full.err)" 1/1
check_escape "and Escape ends it with code 0" $PID 20

if [ -n "${ZELMO_SCREENSHOTS:-}" ]; then
    mkdir -p "$ZELMO_SCREENSHOTS"
    for shot in title play flying spent corner; do keep_png $shot.ppm "$ZELMO_SCREENSHOTS/$shot.png"; done
fi
finish
