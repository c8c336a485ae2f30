#!/usr/bin/env bash
# Runs the launcher against the local portal under Wine.
# With a screen (DISPLAY set): the launcher runs on it until you close it.
# Without one: a short scripted tour on Xvfb that saves screenshots in out/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win64

state=$root/build/demo-state
addr=$("$root/tools/portal/ctl.sh" start "$state")
echo "local portal on $addr"
export OVN_PORTAL=$addr
# What the portal publishes for the demo: a notice with a picture (it comes up a
# few seconds after the first game page), and the hall's Skyrealm launcher,
# here the tests' stand-in program, to download.
portal_get() { /usr/bin/python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1]).read()' "http://$addr$1"; }
portal_get "/__notice?form=both&picture=jpg"
portal_get "/__gamedl?tag=Skyrealm&exe=$root/build/win64/tests/e2e/ovn_recorder.exe"

source "$root/scripts/wine-env.sh"
ovn_ensure_prefix
headless=
[ -z "${DISPLAY:-}" ] && headless=1
ovn_ensure_display
cleanup() { "$root/tools/portal/ctl.sh" stop "$state"; ovn_stop_wine; }
trap cleanup EXIT

if [ -z "$headless" ]; then
    echo "starting the launcher; close its window to end the demo"
    wine "$root/build/win64/Ovn.exe" /OvnD
else
    mkdir -p "$root/out"
    echo "no screen: running the scripted tour on Xvfb ($DISPLAY)"
    win_root="Z:${root//\//\\}"
    OVN_EXE="$win_root\\build\\win64\\Ovn.exe" OVN_TOUR_OUT="$win_root\\out" \
        timeout 180 wine "$root/build/win64/tests/e2e/ovn_tour.exe"
    # The login and the launcher once more at 150 % (144 DPI): the tests' DPI
    # runner sets Wine's DPI for the tour and what it starts, and puts it back.
    mkdir -p "$root/out/150"
    OVN_EXE="$win_root\\build\\win64\\Ovn.exe" OVN_TOUR_OUT="$win_root\\out\\150" OVN_TOUR_FIRST_ONLY=1 \
        timeout 180 wine "$root/build/win64/tests/ovn_dpi_run.exe" 144 "$win_root\\build\\win64\\tests\\e2e\\ovn_tour.exe"
    echo "screenshots:"; ls -1 "$root"/out/*.png "$root"/out/150/*.png
fi
