#!/bin/bash
# SPDX-License-Identifier: MIT
# Checks the Debian package: lintian's verdict (no error and no warning), its fields and computed
# dependencies, its files (the program in /usr/games, the manual page, the icons with their
# transparent surround, the metainfo, the completion), appstreamcli's verdict on the metainfo
# (pedantic: nothing at all), one version and one set of options in the program's answers, the
# manual page and the completion, and that its binary, unpacked into a temporary folder (never into
# the system), runs under Xvfb and ends with Escape and code 0.
# Given the release tarball it was built from, also, in that tarball unpacked elsewhere: make dist
# (the same bytes, without git), make check, dpkg-buildpackage under another umask, time zone,
# locale, date, path and parallelism, with the unit suites (the same package), the source package
# and lintian's verdict on it (pedantic: nothing), and the autopkgtest with autopkgtest's null
# runner, which installs the package on this system (as root) and removes it again.
#
# Usage: package_check.sh DEB [TARBALL]
set -u
[ -f "${1:-}" ] || { echo "no package ${1:-} to check: run make package-check (or make package first)"; exit 2; }
DEB=$(realpath "$1")
TARBALL=${2:+$(realpath "$2")}
. "$(dirname "$0")/../e2e/xvfb_lib.sh"
ROOT=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$ROOT"' EXIT

dpkg-deb -I "$DEB"
lintian --pedantic -I "$DEB" 2>&1 | grep -v "running with root privileges" | tee "$ROOT/lintian.txt"
check "lintian --pedantic on the package: nothing" "$(grep -c '^[EWIP]:' "$ROOT/lintian.txt")" 0

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
    usr/share/doc/zelmo/copyright usr/share/doc/zelmo/changelog.Debian.gz; do
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

# One version: the package's upstream part, the program's, the manual page's and the metainfo's newest release.
version=$(dpkg-deb -f "$DEB" Version | sed 's/^[0-9]*://; s/-[^-]*$//')
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

# The release tarball, unpacked in another folder: everything the checks below need, without git.
if [ -n "$TARBALL" ]; then
    top=$ROOT/elsewhere/deeper
    mkdir -p "$top" "$ROOT/source" && tar -xf "$TARBALL" -C "$top" && tar -xf "$TARBALL" -C "$ROOT/source"
    tree=$top/zelmo-$version
    quietly() { "$@" >"$ROOT/step.log" 2>&1 || { tail -n 30 "$ROOT/step.log"; return 1; }; }
    quietly make -C "$tree" dist DIST_BUILD="$ROOT/dist"
    check "make dist in the unpacked release: the same tarball" "$(sha256sum <"$ROOT/dist/zelmo-$version.tar.xz")" "$(sha256sum <"$TARBALL")"
    check_that "make check in the unpacked release" quietly make -C "$tree" check
    # Another umask, time zone, locale, date (400 days on), path and parallelism, with the unit suites.
    varied() (cd "$tree" && umask 002 && env -u MAKEFLAGS TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 LANG=C.UTF-8 \
        DEB_BUILD_OPTIONS=parallel=1 faketime -f +400d dpkg-buildpackage -us -uc -b)
    check_that "dpkg-buildpackage -us -uc -b in the unpacked release, under other conditions" quietly varied
    sha256sum "$DEB" "$top"/zelmo_*.deb
    check "that build: the same package" "$(sha256sum <"$top/$(basename "$DEB")")" "$(sha256sum <"$DEB")"
    ln -s "$TARBALL" "$ROOT/source/zelmo_$version.orig.tar.xz"
    check_that "the source package" quietly sh -c "cd '$ROOT/source' && dpkg-source -b zelmo-$version"
    lintian --pedantic -I "$ROOT"/source/zelmo_*.dsc 2>&1 | grep -v "running with root privileges" | tee "$ROOT/lintian-source.txt"
    check "lintian --pedantic on the source package: nothing" "$(grep -c '^[EWIP]:' "$ROOT/lintian-source.txt")" 0
    if [ "$(id -u)" -eq 0 ]; then
        dpkg-query -W zelmo >/dev/null 2>&1 && installed=yes || installed=no
        autopkgtest --summary-file="$ROOT/autopkgtest.txt" "$DEB" "$ROOT/source/zelmo-$version/" -- null >"$ROOT/autopkgtest.log" 2>&1
        sed -n '/test play: \[-/,/test play: -*\]/p' "$ROOT/autopkgtest.log"
        check "the autopkgtest (null runner): the installed game plays" "$(cat "$ROOT/autopkgtest.txt" 2>/dev/null)" "play                 PASS"
        [ $installed = yes ] || dpkg -r zelmo >/dev/null
    else
        check "the autopkgtest, which installs the package, runs as root" "$(id -u)" 0
    fi
fi
check "no build folder named in the program" "$(strings -a usr/games/zelmo | grep -c -e "$(dirname "$DEB")" -e "$ROOT")" 0
missing=$(ldd usr/games/zelmo | grep -c "not found")
check "every library the binary links is there" "$missing" 0

start_xvfb || exit 1
"$ROOT/unpacked/usr/games/zelmo" &
PID=$!
check_window_and_escape "the unpacked binary" $PID
finish
