# Cross toolchain: 32-bit Windows through mingw-w64.
set(OVN_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(OVN_WINE_TREE win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
