#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix (the test tiers'
# CMAKE_CROSSCOMPILING_EMULATOR). Output and exit code are the program's.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ovn_ensure_prefix || exit 1
ovn_ensure_display
exec wine "$@"
