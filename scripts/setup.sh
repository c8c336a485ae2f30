#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent and quiet: only missing packages are installed.
set -euo pipefail

packages=(
    cmake ninja-build g++ make googletest            # native tree and GoogleTest sources
    g++-mingw-w64-x86-64 g++-mingw-w64-i686          # Windows trees
    wine wine64                                      # running and testing Ovn.exe
    xvfb xdotool x11-utils imagemagick               # a display, keys and screenshots without a screen
    fonts-wqy-microhei                               # the program's Chinese texts under Wine
    python3 python3-pil curl bc                      # local portal, skin generator, scripts
    ccache                                           # rebuilds of the same sources are hits
    clang-14 libclang-rt-14-dev                      # the sanitizer tree and the fuzz targets
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
    command -v sudo >/dev/null || { echo "setup: need root to install: ${missing[*]}" >&2; exit 1; }
else
    sudo=
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get update -qq >/tmp/ovn-setup.log 2>&1 ||
   ! $sudo apt-get install -y -qq "${missing[@]}" >>/tmp/ovn-setup.log 2>&1; then
    echo "setup: apt-get could not install: ${missing[*]} (see /tmp/ovn-setup.log)" >&2
    tail -20 /tmp/ovn-setup.log >&2
    exit 1
fi
