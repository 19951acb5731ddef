#!/bin/bash
# SPDX-License-Identifier: MIT
# The Debian package as a user gets it: a clean Debian 12 root made by debootstrap (from the
# package mirror the machine's apt uses), the package installed there with apt, which brings in
# what it depends on, and the installed game run inside the root under Xvfb and ended with Escape.
#
# Usage: package_install_check.sh DEB [ROOT_DIR]
set -u
DEB=$(realpath "$1")
CHROOT=${2:-$(mktemp -d /var/tmp/zelmo-root.XXXXXX)}
. "$(dirname "$0")/../e2e/xvfb_lib.sh"
cleanup() {
    stop_xvfb
    for mount in tmp/.X11-unix dev/pts dev proc; do umount "$CHROOT/$mount" 2>/dev/null; done
    [ -z "${KEEP_ROOT:-}" ] && rm -rf "$CHROOT"
}
trap cleanup EXIT
[ "$(id -u)" -eq 0 ] || { echo "package_install_check: needs root (debootstrap, chroot)"; exit 1; }

# The mirror apt already uses here, so that nothing else is reached.
mirror=$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1 | awk '{ print $2 }')
[ -n "$mirror" ] || mirror=$(grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | head -n 1 | awk '{ print $2 }')
[ -n "$mirror" ] || { echo "no Debian mirror in the apt sources"; exit 1; }

echo "debootstrap into $CHROOT from $mirror"
debootstrap --variant=minbase bookworm "$CHROOT" "$mirror" >"$CHROOT.log" 2>&1 ||
    { tail -20 "$CHROOT.log"; echo "FAIL: debootstrap"; exit 1; }
mount -t proc proc "$CHROOT/proc"
mount --bind /dev "$CHROOT/dev"
mount --bind /dev/pts "$CHROOT/dev/pts"
cp /etc/resolv.conf "$CHROOT/etc/resolv.conf" 2>/dev/null
cp "$DEB" "$CHROOT/tmp/zelmo.deb"
in_root() { chroot "$CHROOT" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin:/usr/games HOME=/root "$@"; }
in_root apt-get update -qq
DEBIAN_FRONTEND=noninteractive in_root apt-get install -y -qq /tmp/zelmo.deb >"$CHROOT/tmp/install.log" 2>&1
check "apt installs the package and what it depends on" "$?" 0
check "the game is in /usr/games" "$(in_root sh -c 'command -v zelmo')" /usr/games/zelmo

# The game in the root shows its window on an Xvfb outside it, through the server's socket.
start_xvfb || exit 1
mkdir -p "$CHROOT/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$CHROOT/tmp/.X11-unix"
chroot "$CHROOT" env -i PATH=/usr/bin:/bin:/usr/games HOME=/root DISPLAY="$DISPLAY" zelmo 2>"$CHROOT/tmp/zelmo.err" &
PID=$!
check_window_and_escape "the installed game" $PID
[ -s "$CHROOT/tmp/zelmo.err" ] && { echo "stderr:"; cat "$CHROOT/tmp/zelmo.err"; }
finish
