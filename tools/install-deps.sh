#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the Debian packages a task needs, when any is missing.
#
# Usage: install-deps.sh [run|web|test|package|package-check]
#   run            building and playing the game (make run, make install)
#   web            run, plus the browser build and its site (make web, make serve)
#   test           web, plus what the tests and benchmarks use (make test, the default): headless
#                  Chromium and its driver, and Firefox ESR with a WebSocket client, for the browser tests
#   package        run, plus what builds the Debian package (make package): dpkg-shlibdeps, file
#   package-check  package, plus what checks it (make package-check, make package-install-check):
#                  lintian, appstreamcli, man, Xvfb and its tools, debootstrap
set -e
group=${1:-test}
run="cmake g++ make pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl1 libegl-mesa0
 libfreetype-dev libfontconfig-dev libx11-dev libxrandr-dev fonts-liberation2 googletest libgtest-dev libpng-dev"
test="xvfb xauth xdotool x11-utils x11-apps x11-xserver-utils openbox weston xwayland libdecor-0-plugin-1-cairo imagemagick libbenchmark-dev clang libclang-rt-14-dev
 libsdl2-image-dev desktop-file-utils reuse appstream"
web="emscripten brotli"
browser="chromium chromium-driver python3-selenium python3-pil firefox-esr python3-websockets"
package="dpkg-dev file"
package_check="lintian appstream man-db desktop-file-utils xvfb xdotool x11-utils x11-apps imagemagick debootstrap"
case "$group" in
    run) packages=$run ;;
    web) packages="$run $web" ;;
    test) packages="$run $web $test $browser" ;;
    package) packages="$run $package" ;;
    package-check) packages="$run $package $package_check" ;;
    *) echo "usage: install-deps.sh [run|web|test|package|package-check]" >&2; exit 2 ;;
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
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing
