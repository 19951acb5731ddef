#!/bin/sh
# SPDX-License-Identifier: MIT
# Renders the game's pictures as seen on screen, side by side, into one PNG (ImageMagick):
# deflated at zlib's highest level with the sub filter (the smallest here), without the date
# chunks, so that the same pictures give the same bytes.
set -eu
PICTURES=$1
OUT=$2
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$(dirname "$OUT")"
for f in "$PICTURES"/*.pcx; do
    name=$(basename "$f" .pcx)
    case $name in
        hand_*|icon) flip="" ;;   # stored top row first
        *) flip="-flip" ;;        # stored bottom row first
    esac
    convert "$f" $flip -fill '#2b2b2b' -opaque magenta -scale 200% -bordercolor '#2b2b2b' -border 6 \
        -background '#2b2b2b' -gravity south -splice 0x16 -fill white -font Liberation-Sans -pointsize 12 -annotate +0+2 "$name" "$TMP/$name.png"
done
row() { convert -background '#2b2b2b' "$@" -gravity south +append miff:-; }
{
    row "$TMP"/critter1.png "$TMP"/critter2.png "$TMP"/charge1.png "$TMP"/charge2.png "$TMP"/charge_icon.png \
        "$TMP"/burnt1.png "$TMP"/burnt2.png "$TMP"/burnt3.png "$TMP"/blast1.png "$TMP"/blast2.png "$TMP"/blast3.png \
        "$TMP"/icon.png
    row "$TMP"/hand_idle.png "$TMP"/hand_left.png "$TMP"/hand_right.png "$TMP"/game_over.png
    row "$TMP"/background.png "$TMP"/title.png
} | convert -background '#2b2b2b' - -gravity west -append \
    -define png:compression-level=9 -define png:compression-filter=1 -define png:compression-strategy=0 \
    -define png:exclude-chunks=date,tIME "$OUT"
