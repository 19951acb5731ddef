#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the Debian packages a task needs, when any is missing.
#
# Usage: install-deps.sh [run|web|dist|package|package-check|test]
#   run            building and playing the game, and its unit suites (make, make run, make check,
#                  make install): the compiler, CMake, SDL2, GL, GL ES 2 and EGL (the page's GL layer
#                  runs on them in the unit suites), FreeType, fontconfig, Xlib, GoogleTest,
#                  clang-format (make check holds the README's figure of its verdict)
#   web            run, plus the browser build and its site (make web, make serve): emscripten, brotli
#   dist           the release tarball (make dist): xz
#   package        run and dist, plus what builds the Debian package (make package): dpkg-dev,
#                  debhelper, file
#   package-check  package, plus what checks it (make package-check, make package-install-check):
#                  lintian, appstreamcli, man, autopkgtest, faketime, debootstrap, and Xvfb and its
#                  tools for its binary
#   test           everything: web and package-check, plus what the other tests and benchmarks use
#                  (make test, the default): the desktops the real binary is played under, headless
#                  Chromium and its driver, Firefox ESR with a WebSocket client, nginx, Apache and
#                  lighttpd (the site behind real servers), clang's sanitizers,
#                  Google Benchmark
set -e
group=${1:-test}
run="cmake g++ make pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl1 libegl-mesa0
 libgles-dev libegl-dev libfreetype-dev libfontconfig-dev libx11-dev libxrandr-dev libxi-dev fonts-liberation2 googletest libgtest-dev libpng-dev
 clang-format"
web="emscripten brotli"
# The real binary under a private X server, driven and looked at from outside.
xserver="xvfb xauth xdotool x11-utils x11-apps x11-xserver-utils imagemagick"
dist="xz-utils"
package="dpkg-dev debhelper file"
package_check="lintian appstream man-db desktop-file-utils autopkgtest faketime debootstrap"
desktops="openbox weston xwayland libdecor-0-plugin-1-cairo"
browser="chromium chromium-driver python3-selenium python3-pil firefox-esr python3-websockets"
# The servers the browser tests put the site behind with the shipped settings (platform/web/hosting),
# and one more a benchmark measures with its defaults.
servers="nginx libnginx-mod-http-brotli-static apache2 lighttpd"
tools="clang libclang-rt-14-dev libbenchmark-dev libsdl2-image-dev reuse"
case "$group" in
    run) packages=$run ;;
    web) packages="$run $web" ;;
    dist) packages=$dist ;;
    package) packages="$run $dist $package" ;;
    package-check) packages="$run $dist $package $package_check $xserver" ;;
    test) packages="$run $web $xserver $dist $package $package_check $desktops $browser $servers $tools" ;;
    *) echo "usage: install-deps.sh [run|web|dist|package|package-check|test]" >&2; exit 2 ;;
esac

missing=""
for p in $packages; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $p" ;;
  esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run as root:" >&2
  echo "  apt-get update && apt-get install -y --no-install-recommends$missing" >&2
  exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
# Another apt (an unattended upgrade, a software centre) may hold its locks for a while: wait for it,
# up to APT_LOCK_WAIT seconds in all, saying so, rather than fail at once. dpkg's lock is waited for
# by apt itself; the package lists' and the download cache's are not, so a refused run is tried again.
deadline=$(($(date +%s) + ${APT_LOCK_WAIT:-600}))
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
apt_get() {
  while :; do
    left=$((deadline - $(date +%s)))
    [ $left -gt 0 ] || left=1
    apt-get -o DPkg::Lock::Timeout=$left "$@" 2>"$errors" && { cat "$errors" >&2; return 0; }
    if grep -q -e 'Could not get lock' -e 'Unable to acquire the dpkg frontend lock' "$errors" &&
        [ "$(date +%s)" -lt "$deadline" ]; then
      [ -n "${waiting:-}" ] || echo "Another apt holds its lock; waiting for it (up to $((deadline - $(date +%s))) s more)" >&2
      waiting=yes
      sleep 5
    else
      cat "$errors" >&2
      return 1
    fi
  done
}
apt_get update -qq
# The web servers are for the tests, which start their own copies on free ports: installing them must
# not start the system's services, which would all want port 80 (the second one's start would fail the
# install). Where no policy says so already, one does for the length of the install.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\n# zelmo: install-deps.sh, for the length of an install\nexit 101\n' >"$policy"
  chmod 755 "$policy"
  trap 'rm -f "$errors" "$policy"' EXIT
fi
apt_get install -y -qq --no-install-recommends $missing
