#!/usr/bin/env bash
# Runs one Windows program under Wine in the prefix of its tree (each Windows
# tree's CMAKE_CROSSCOMPILING_EMULATOR):
#   scripts/wine-run.sh win64|win32 PROGRAM [ARGS...]
# Output and exit code are the program's.
OVN_TREE=${1:?usage: wine-run.sh win64|win32 PROGRAM [ARGS...]}
shift
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh" || exit 2
ovn_ensure_prefix || exit 1
ovn_ensure_display
# No server of this prefix yet (ctest run by hand): start it, and Wine's services,
# detached from our output.
ovn_wineserver_kept || ovn_keep_wineserver
exec wine "$@"
