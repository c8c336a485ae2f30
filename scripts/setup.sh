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
    zlib1g-dev libz-mingw-w64-dev                    # inflating the skins' PNGs (linked in statically)
    clang-14 libclang-rt-14-dev                      # the sanitizer tree and the fuzz targets
    osslsigncode openssl                             # make sign, and the signed copies the tests make
)
# The 32-bit build runs under a 32-bit Wine, whose packages come from Debian's i386
# architecture. Only what it needs: the loader and its libraries, and the X
# extensions Wine's display driver loads at run time (without them windows and
# fonts are drawn differently from the 64-bit Wine's). The recommended rest would
# double the download.
i386_packages=(
    wine32:i386
    libxrender1:i386 libxcursor1:i386 libxi6:i386 libxrandr2:i386 libxinerama1:i386
    libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=() missing_i386=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${i386_packages[@]}"; do installed "$p" || missing_i386+=("$p"); done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_i386[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
    command -v sudo >/dev/null || { echo "setup: need root to install: ${missing[*]}" >&2; exit 1; }
else
    sudo=
fi
all_missing=(${missing[@]+"${missing[@]}"} ${missing_i386[@]+"${missing_i386[@]}"})
echo "setup: installing ${all_missing[*]}"
export DEBIAN_FRONTEND=noninteractive
fail() {
    echo "setup: apt-get could not install: ${all_missing[*]} (see /tmp/ovn-setup.log)" >&2
    tail -20 /tmp/ovn-setup.log >&2
    exit 1
}
: >/tmp/ovn-setup.log
# The package lists must know the i386 architecture before its packages can be found.
if [ ${#missing_i386[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386 >>/tmp/ovn-setup.log 2>&1 || fail
fi
$sudo apt-get update -qq >>/tmp/ovn-setup.log 2>&1 || fail
if [ ${#missing[@]} -gt 0 ]; then
    $sudo apt-get install -y -qq "${missing[@]}" >>/tmp/ovn-setup.log 2>&1 || fail
fi
if [ ${#missing_i386[@]} -gt 0 ]; then
    $sudo apt-get install -y -qq --no-install-recommends "${missing_i386[@]}" >>/tmp/ovn-setup.log 2>&1 || fail
fi
