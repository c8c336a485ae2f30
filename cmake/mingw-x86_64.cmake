# Cross toolchain: 64-bit Windows through mingw-w64 (posix threads model, so the
# runtime can be linked statically and std::thread is available).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(OVN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${OVN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OVN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${OVN_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${OVN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
