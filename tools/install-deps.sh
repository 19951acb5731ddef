#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs the Debian packages a task needs, when any is missing.
#
# Usage: install-deps.sh [run|web|package|package-check|test]
#   run            building and playing the game, and its unit suites (make, make run, make check,
#                  make install): the compiler, CMake, SDL2, GL, GL ES 2 and EGL (the page's GL layer
#                  runs on them in the unit suites), FreeType, fontconfig, Xlib, GoogleTest
#   web            run, plus the browser build and its site (make web, make serve): emscripten, brotli
#   package        run, plus what builds the Debian package (make package): dpkg-shlibdeps, file
#   package-check  package, plus what checks it (make package-check, make package-install-check):
#                  lintian, appstreamcli, man, debootstrap, and Xvfb and its tools for its binary
#   test           everything: web and package-check, plus what the other tests and benchmarks use
#                  (make test, the default): the desktops the real binary is played under, headless
#                  Chromium and its driver, Firefox ESR with a WebSocket client, clang's sanitizers,
#                  Google Benchmark
set -e
group=${1:-test}
run="cmake g++ make pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl1 libegl-mesa0
 libgles-dev libegl-dev libfreetype-dev libfontconfig-dev libx11-dev libxrandr-dev libxi-dev fonts-liberation2 googletest libgtest-dev libpng-dev"
web="emscripten brotli"
# The real binary under a private X server, driven and looked at from outside.
xserver="xvfb xauth xdotool x11-utils x11-apps x11-xserver-utils imagemagick"
package="dpkg-dev file"
package_check="lintian appstream man-db desktop-file-utils debootstrap"
desktops="openbox weston xwayland libdecor-0-plugin-1-cairo"
browser="chromium chromium-driver python3-selenium python3-pil firefox-esr python3-websockets"
tools="clang clang-format libclang-rt-14-dev libbenchmark-dev libsdl2-image-dev reuse"
case "$group" in
    run) packages=$run ;;
    web) packages="$run $web" ;;
    package) packages="$run $package" ;;
    package-check) packages="$run $package $package_check $xserver" ;;
    test) packages="$run $web $xserver $package $package_check $desktops $browser $tools" ;;
    *) echo "usage: install-deps.sh [run|web|package|package-check|test]" >&2; exit 2 ;;
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
