#include "app/rights.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "app/rights_rules.h"
#include "common/log.h"
#include "framework/handles.h"

namespace ovn {

namespace {

// Setting the owner of a folder somebody else made needs the right to take
// ownership, which an administrator's token holds but does not enable.
void EnableTakeOwnership() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
        return;
    fw::Handle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (::LookupPrivilegeValueW(nullptr, SE_TAKE_OWNERSHIP_NAME, &privileges.Privileges[0].Luid))
        ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

struct LocalFreer {
    void operator()(void* p) const { ::LocalFree(p); }
};

}  // namespace

bool ApplySddl(const std::wstring& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &raw, nullptr)) {
        LogFailure(L"rights: descriptor text not understood", ::GetLastError());
        return false;
    }
    std::unique_ptr<void, LocalFreer> descriptor(raw);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    ::GetSecurityDescriptorDacl(raw, &present, &dacl, &defaulted);
    ::GetSecurityDescriptorOwner(raw, &owner, &defaulted);
    SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
    if (owner)
        what |= OWNER_SECURITY_INFORMATION;
    DWORD error = ::SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT, what, owner, nullptr,
                                          dacl, nullptr);
    if (error != ERROR_SUCCESS) {
        LogFailureF(error, L"rights: cannot set the rights of %ls", path.c_str());
        return false;
    }
    return true;
}

bool ProtectInstallFolder(const std::wstring& folder) {
    EnableTakeOwnership();
    bool ok = ApplySddl(folder, kInstallFolderSddl);
    const std::wstring settings = folder + L"\\Statistic.ini";
    fw::FileHandle file(::CreateFileW(settings.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        LogFailureF(::GetLastError(), L"rights: cannot make %ls", settings.c_str());
        return false;
    }
    file.reset();
    return ApplySddl(settings, kSettingsFileSddl) && ok;
}

bool CanWriteFolder(const std::wstring& folder) {
    wchar_t probe[MAX_PATH] = {};
    if (folder.empty() || !::GetTempFileNameW(folder.c_str(), L"ovn", 0, probe))
        return false;
    ::DeleteFileW(probe);
    return true;
}

bool CanReplaceFile(const std::wstring& path) {
    fw::FileHandle file(::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    return file.get() != INVALID_HANDLE_VALUE;
}

}  // namespace ovn
