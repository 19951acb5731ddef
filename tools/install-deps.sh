#!/bin/sh
# Installs the Debian packages the build, the game and the tests need, when any is missing.
set -e
packages="cmake g++ make pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl1 libegl-mesa0
 libfreetype-dev libfontconfig-dev fonts-liberation2 xvfb xauth xdotool x11-utils x11-apps openbox imagemagick
 googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev libsdl2-image-dev desktop-file-utils"

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
