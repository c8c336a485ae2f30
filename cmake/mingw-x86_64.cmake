# Cross toolchain: 64-bit Windows through mingw-w64.
set(OVN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(OVN_WINE_TREE win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
