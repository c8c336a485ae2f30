#include <windows.h>

#include "app/kelvor3_app.h"
#include "common/newer_windows.h"
#include "framework/start_marks.h"

namespace {

// The program may run from a download folder, where anyone can leave a DLL: every
// library loaded from now on comes from the system folder only. The call exists
// from Windows 7 with its loader update on; it is looked up, not imported.
void RestrictDllSearch() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto restrict = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (restrict)
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else
        ovn::LeaveCurrentFolderOutOfDllSearch();  // at least not the current folder
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    fw::NoteEntryPoint();
    RestrictDllSearch();
    ovn::CKelvor3App app;
    return app.Main(instance);
}
