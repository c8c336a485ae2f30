# Shared part of the mingw-w64 toolchain files; they set OVN_MINGW_PREFIX, the
# processor and the tree whose Wine prefix runs the programs, then include this.
# The posix threads model lets the runtime be linked statically and gives
# std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${OVN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OVN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${OVN_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${OVN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows programs of the test tiers run under Wine, in the prefix of their tree
# (OVN_WINE_TREE: win64 or win32, see scripts/wine-env.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${OVN_WINE_TREE})
