#!/bin/bash
# Checks the Debian package: its fields and dependencies, its files, and that its binary, unpacked
# into a temporary folder (never into the system), runs under Xvfb and ends with Escape and code 0.
set -u
DEB=$(realpath "$1")
. "$(dirname "$0")/xvfb_lib.sh"
ROOT=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$ROOT"' EXIT

dpkg-deb -I "$DEB"
depends=$(dpkg-deb -f "$DEB" Depends)
for needed in libsdl2-2.0-0 libgl1 libglu1-mesa libfreetype6 libfontconfig1 fonts-liberation2; do
    check "depends on $needed" "$(echo "$depends" | grep -c "$needed")" 1
done
dpkg -x "$DEB" "$ROOT"
for file in usr/bin/zelmo usr/share/applications/zelmo.desktop usr/share/icons/hicolor/16x16/apps/zelmo.png \
    usr/share/icons/hicolor/48x48/apps/zelmo.png usr/share/icons/hicolor/128x128/apps/zelmo.png; do
    [ -e "$ROOT/$file" ] && present=yes || present=no
    check "the package holds $file" "$present" yes
done
desktop-file-validate "$ROOT/usr/share/applications/zelmo.desktop" && valid=yes || valid=no
check "the desktop entry validates" "$valid" yes
missing=$(ldd "$ROOT/usr/bin/zelmo" | grep -c "not found")
check "every library the binary links is there" "$missing" 0

start_xvfb || exit 1
cd "$ROOT"
"$ROOT/usr/bin/zelmo" &
PID=$!
WIN=$(wait_for_window ZELMO) && started=yes || started=no
check "the unpacked binary opens its window" "$started" yes
wait_for_focus "$WIN"
press_key Escape
wait_exit $PID 20
check "Escape ends it with code 0" "$EXIT_CODE" 0
echo "package_check: $FAILURES failure(s)"
[ "$FAILURES" -eq 0 ]
