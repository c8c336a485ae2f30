#include "app/elevation.h"

#include <windows.h>
#include <shellapi.h>

#include "common/log.h"
#include "common/text.h"
#include "framework/handles.h"
#include "process/process.h"

namespace ovn {

bool IsFilteredToken() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw))
        return false;
    fw::Handle token(raw);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (!::GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size))
        return false;
    return type == TokenElevationTypeLimited;
}

bool IsElevatedCopy() {
    auto args = ProcessArguments();
    for (std::size_t i = 1; i < args.size(); ++i)
        if (EqualsNoCase(args[i], kElevatedSwitch))
            return true;
    return false;
}

bool ElevateAndWait(const std::wstring& arguments, unsigned long* exitCode) {
    const std::wstring exe = ExecutablePath();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.lpVerb = L"runas";
    info.lpFile = exe.c_str();
    info.lpParameters = arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info) || !info.hProcess) {
        LogFailure(L"elevation refused; going on with this user's rights", ::GetLastError());
        return false;
    }
    fw::Handle process(info.hProcess);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (exitCode && ::GetExitCodeProcess(process.get(), &code))
        *exitCode = code;
    return true;
}

}  // namespace ovn
