#!/bin/bash
# SPDX-License-Identifier: MIT
# Checks the Debian package: lintian's verdict (no error and no warning), its fields and computed
# dependencies, its files (the program in /usr/games, the manual page, the icons with their
# transparent surround), and that its binary, unpacked into a temporary folder (never into the
# system), runs under Xvfb and ends with Escape and code 0.
set -u
DEB=$(realpath "$1")
. "$(dirname "$0")/../e2e/xvfb_lib.sh"
ROOT=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$ROOT"' EXIT

dpkg-deb -I "$DEB"
lintian --pedantic -I "$DEB" 2>&1 | grep -v "running with root privileges" | tee "$ROOT/lintian.txt"
check "lintian: no error" "$(grep -c '^E:' "$ROOT/lintian.txt")" 0
check "lintian: no warning" "$(grep -c '^W:' "$ROOT/lintian.txt")" 0

depends=$(dpkg-deb -f "$DEB" Depends)
for needed in libsdl2-2.0-0 libopengl0 "libgl1," libglu1-mesa libfreetype6 libfontconfig1 libc6 fonts-liberation2 libgl1-mesa-dri; do
    check "depends on $needed" "$(echo "$depends" | grep -c "$needed")" 1
done
check "suggests xrandr's package" "$(dpkg-deb -f "$DEB" Suggests)" x11-xserver-utils
check "an extended description" "$(dpkg-deb -f "$DEB" Description | wc -l | awk '{ print ($1 > 3) ? "yes" : "no" }')" yes

dpkg -x "$DEB" "$ROOT/unpacked"
cd "$ROOT/unpacked"
for file in usr/games/zelmo usr/share/applications/zelmo.desktop usr/share/man/man6/zelmo.6.gz \
    usr/share/doc/zelmo/copyright usr/share/doc/zelmo/changelog.gz; do
    check_that "the package holds $file" test -e "$file"
done
for size in 16 32 48 64 128 256; do
    icon=usr/share/icons/hicolor/${size}x${size}/apps/zelmo.png
    [ -e "$icon" ] || { check "the package holds $icon" no yes; continue; }
    check "icon $size: its size" "$(identify -format '%wx%h' "$icon")" "${size}x${size}"
    check "icon $size: clear corners, opaque middle" \
        "$(convert "$icon" -format "%[fx:p{0,0}.a],%[fx:p{$((size / 2)),$((size / 2))}.a]" info:)" "0,1"
done
check "the binary is stripped" "$(file -L usr/games/zelmo | grep -c 'not stripped')" 0
man -l usr/share/man/man6/zelmo.6.gz 2>/dev/null | grep -q "xrandr" && manual=yes || manual=no
check "the manual page says how to restore a display mode" "$manual" yes
check_that "the desktop entry validates" desktop-file-validate usr/share/applications/zelmo.desktop
missing=$(ldd usr/games/zelmo | grep -c "not found")
check "every library the binary links is there" "$missing" 0

start_xvfb || exit 1
"$ROOT/unpacked/usr/games/zelmo" &
PID=$!
check_window_and_escape "the unpacked binary" $PID
finish
