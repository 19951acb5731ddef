#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the Debian packages a task needs, when any is missing.
#
# Usage: install-deps.sh [run|web|test|package]
#   run      building and playing the game (make run)
#   web      run, plus the browser build (make web)
#   test     web, plus what the tests and benchmarks use (make test, the default): headless
#            Chromium and its driver, and Firefox ESR with a WebSocket client, for the browser tests
#   package  test, plus what builds and checks the Debian package (make package-check)
set -e
group=${1:-test}
run="cmake g++ make pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl1 libegl-mesa0
 libfreetype-dev libfontconfig-dev libx11-dev libxrandr-dev libxi-dev fonts-liberation2 googletest libgtest-dev libpng-dev"
test="xvfb xauth xdotool x11-utils x11-apps x11-xserver-utils openbox weston xwayland libdecor-0-plugin-1-cairo imagemagick libbenchmark-dev clang libclang-rt-14-dev
 libsdl2-image-dev desktop-file-utils reuse"
web="emscripten"
browser="chromium chromium-driver python3-selenium python3-pil firefox-esr python3-websockets"
package="dpkg-dev lintian debootstrap file man-db"
case "$group" in
    run) packages=$run ;;
    web) packages="$run $web" ;;
    test) packages="$run $web $test $browser" ;;
    package) packages="$run $web $test $browser $package" ;;
    *) echo "usage: install-deps.sh [run|web|test|package]" >&2; exit 2 ;;
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
