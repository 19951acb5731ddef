#!/bin/sh
# SPDX-License-Identifier: MIT
# The committed pictures and icons are exactly what the picture tool makes: the tool is their source.
set -eu
TOOL=$1
PICTURES=$2
ICONS=$3
[ -x "$TOOL" ] || { echo "no picture tool $TOOL: run make first"; exit 1; }
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
mkdir "$OUT/pictures" "$OUT/icons"
"$TOOL" "$OUT/pictures" "$OUT/icons"
status=0
compare() {  # made-dir committed-dir
    for made in "$1"/*; do
        name=$(basename "$made")
        if ! cmp -s "$made" "$2/$name"; then
            echo "FAIL: $2/$name differs from what the tool makes (run: make pictures)"
            status=1
        fi
    done
    [ "$(ls "$1" | wc -l)" -eq "$(ls "$2" | wc -l)" ] || { echo "FAIL: $2 holds other files"; status=1; }
}
compare "$OUT/pictures" "$PICTURES"
compare "$OUT/icons" "$ICONS"
[ $status -eq 0 ] && echo "all pictures and icons match"
exit $status
