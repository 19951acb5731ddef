#!/bin/sh
# The committed pictures are exactly what the picture tool makes: the tool is their source.
set -eu
TOOL=$1
PICTURES=$2
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT
"$TOOL" "$OUT"
status=0
for made in "$OUT"/*.pcx; do
    name=$(basename "$made")
    if ! cmp -s "$made" "$PICTURES/$name"; then
        echo "FAIL: game/pictures/$name differs from what the tool makes (run: make pictures)"
        status=1
    fi
done
[ "$(ls "$OUT" | wc -l)" -eq "$(ls "$PICTURES"/*.pcx | wc -l)" ] || { echo "FAIL: different picture sets"; status=1; }
[ $status -eq 0 ] && echo "all $(ls "$OUT" | wc -l) pictures match"
exit $status
