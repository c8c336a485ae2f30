# Precompiled headers. Most of a clean build went into reading the same system
# and library headers again for every file (windows.h with OLE and GDI+ is some
# 150,000 lines, gtest.h most of a unit test file's time); each target below
# reads them once. Only headers that the target's files take in anyway are
# listed, always the whole header, so a file means what it meant without them.
#
# The standard library is precompiled for the tests only. In code built with -O2,
# mingw-w64's inline wide-string functions, read from a precompiled header, lose
# their standing as system code, and GCC then reports its known false bounds
# warnings about std::wstring copies in our files (an error in the release). So
# the program's code precompiles the Windows headers alone, and the platform-free
# rules, which never see windows.h (or a name it turns into a macro would differ
# between the trees), nothing.
set(OVN_PCH_STD <string> <string_view> <vector> <cstdint> <cstddef> <optional>
    <algorithm> <memory> <utility> <array> <functional>)
# The Win32 glue, with the defines every glue file is compiled with (ovn_win's).
set(OVN_PCH_WINAPI <windows.h> <objbase.h> <ole2.h> <commctrl.h> <shellapi.h> <gdiplus.h>
    <wininet.h>)
set(OVN_PCH_WIN ${OVN_PCH_STD} ${OVN_PCH_WINAPI})

# ovn_precompile(target STD|WIN|WINAPI [TEST]): TEST adds GoogleTest.
function(ovn_precompile target kind)
  set(headers ${OVN_PCH_${kind}})
  if("TEST" IN_LIST ARGN)
    list(APPEND headers <gtest/gtest.h>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# The compiler cache keeps working with precompiled headers when it may ignore
# the defines and time macros inside them (scripts/build.sh sets that) and, for
# GCC, sees which precompiled header a file used; clang's must carry no time stamp.
if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-fpch-preprocess)
  elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_compile_options("SHELL:-Xclang -fno-pch-timestamp")
  endif()
endif()

# The test programs' own code is compiled without optimisation: it only drives the
# program's code (which keeps the shipped -O2), and optimising the expanded test
# macros cost more than half of the tests' build. It keeps its debug information.
function(ovn_test_code target)
  target_compile_options(${target} PRIVATE -O0)
endfunction()
