#!/bin/bash
# SPDX-License-Identifier: MIT
# Checks the Debian package: lintian's verdict (no error and no warning), its fields and computed
# dependencies, its files (the program in /usr/games, the manual page, the icons with their
# transparent surround, the metainfo, the completion), appstreamcli's verdict on the metainfo
# (pedantic: nothing at all), one version and one set of options in the program's answers, the
# manual page and the completion, the same bytes from a second build in another folder, and that its
# binary, unpacked into a temporary folder (never into the system), runs under Xvfb and ends with
# Escape and code 0.
#
# Usage: package_check.sh DEB [SOURCE_DIR]
#   SOURCE_DIR: the sources DEB was built from, built again (make package, with the same
#   SOURCE_DATE_EPOCH) into a scratch folder for the comparison
set -u
DEB=$(realpath "$1")
SOURCE=${2:+$(realpath "$2")}
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
desktop=usr/share/applications/org.zelmo.zelmo.desktop
metainfo=usr/share/metainfo/org.zelmo.zelmo.metainfo.xml
completion=usr/share/bash-completion/completions/zelmo
for file in usr/games/zelmo $desktop $metainfo $completion usr/share/man/man6/zelmo.6.gz \
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
check_that "the desktop entry validates" desktop-file-validate $desktop
appstreamcli validate --pedantic --no-net $metainfo | tee "$ROOT/appstream.txt"
check "appstreamcli validate --pedantic: no issue at all" "$(grep -c '^[EWIP]:' "$ROOT/appstream.txt")" 0

# One version: the package's, the program's, the manual page's and the metainfo's newest release.
version=$(dpkg-deb -f "$DEB" Version)
check "zelmo --version" "$(usr/games/zelmo --version)" "zelmo $version"
check "the manual page's version" "$(zcat usr/share/man/man6/zelmo.6.gz | head -n 1 | grep -o '"zelmo [^"]*"')" "\"zelmo $version\""
check "the metainfo's newest release" "$(grep -o -m 1 '<release version="[^"]*"' $metainfo)" "<release version=\"$version\""
# One set of options: the help's, the manual page's and the completion's.
options() { grep -oE -- '(^| )-{1,2}[a-z]+' | tr -d ' ' | sort | tr '\n' ' '; }
offered=$(usr/games/zelmo --help | grep -E '^ +-' | sed 's/^ *//' | cut -d' ' -f1-2 | options)
check "the help offers the seven options" "$offered" \
    "--check --fullscreen --help --record --replay --version --window -f -h -v -w "
check "the manual page's options are the help's" \
    "$(zcat usr/share/man/man6/zelmo.6.gz | sed -n '/^\.SH OPTIONS/,/^\.SH /{/^\.TP/{n;p}}' | sed 's/\\-/-/g; s/^\.BR//' | options)" "$offered"
check "the completion's options are the help's" \
    "$(bash -c ". $completion; COMP_WORDS=(zelmo -); COMP_CWORD=1; _zelmo; printf '%s\n' \"\${COMPREPLY[@]}\"" | options)" "$offered"

# The same sources give the same bytes, built again elsewhere; no build folder is named in the program.
if [ -n "$SOURCE" ]; then
    make -C "$SOURCE" package PACKAGE_BUILD="$ROOT/again" >"$ROOT/again.log" 2>&1 || tail -n 20 "$ROOT/again.log"
    sha256sum "$DEB" "$ROOT"/again/zelmo_*.deb
    check "a second build in another folder: the same package" "$(sha256sum <"$ROOT"/again/zelmo_*.deb)" "$(sha256sum <"$DEB")"
    check "no build or source folder named in the program" \
        "$(strings -a usr/games/zelmo | grep -c -e "$SOURCE" -e "$(dirname "$DEB")" -e "$ROOT")" 0
fi
missing=$(ldd usr/games/zelmo | grep -c "not found")
check "every library the binary links is there" "$missing" 0

start_xvfb || exit 1
"$ROOT/unpacked/usr/games/zelmo" &
PID=$!
check_window_and_escape "the unpacked binary" $PID
finish
