# Shared part of the mingw-w64 toolchain files; they set OVN_MINGW_PREFIX and
# the processor, then include this. The posix threads model lets the runtime be
# linked statically and gives std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${OVN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OVN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${OVN_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${OVN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows programs of the test tiers run under Wine, in the project's prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
