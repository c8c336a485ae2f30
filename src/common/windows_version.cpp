#include "common/windows_version.h"

#include <windows.h>

namespace ovn {

unsigned WindowsMajorVersion() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    // Deprecated for its manifest-dependent answer, which is the one the
    // program's own compatibility decisions want.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&version))
        return 0;
#pragma GCC diagnostic pop
    return version.dwMajorVersion;
}

bool RunningUnderWine() {
    static const bool wine = [] {
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

}  // namespace ovn
