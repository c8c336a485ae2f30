#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix (the test tiers'
# CMAKE_CROSSCOMPILING_EMULATOR). Output and exit code are the program's.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ovn_ensure_prefix || exit 1
ovn_ensure_display
# No server yet (ctest run by hand): start it, and Wine's services, detached from our output.
pgrep -x wineserver64 >/dev/null || pgrep -x wineserver >/dev/null || ovn_keep_wineserver
exec wine "$@"
