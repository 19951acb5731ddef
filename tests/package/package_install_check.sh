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
# The mount points under the root, deepest first (as /proc/self/mounts writes them: a space is \040).
mounts_under_root() {
    ROOT_AS_MOUNTS=$(printf '%s' "$CHROOT" | sed 's/\\/\\134/g; s/ /\\040/g; s/\t/\\011/g') \
        awk 'index($2, ENVIRON["ROOT_AS_MOUNTS"] "/") == 1 { print $2 }' /proc/self/mounts | tac
}
# The root goes only once nothing is mounted under it, and never across a file system: a mount left
# behind (the host's /dev, its X socket folder) must stop the check, not be emptied with the root.
cleanup() {
    stop_xvfb
    local mount
    for mount in $(mounts_under_root); do
        umount "$(printf '%b' "$mount")" || echo "FAIL: cannot unmount $(printf '%b' "$mount")"
    done
    mount=$(mounts_under_root)
    if [ -n "$mount" ]; then
        echo "FAIL: still mounted under the root, which is left in place: $(printf '%b ' $mount)"
        exit 1
    fi
    [ -n "${KEEP_ROOT:-}" ] || rm -rf --one-file-system "$CHROOT" "$CHROOT.log"
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
