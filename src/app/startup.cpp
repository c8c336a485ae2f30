#include "app/startup.h"

#include "app/flash_version.h"
#include "app/start_mode.h"

namespace ovn {

StartMode DetectStartMode() {
    StartModeInfo info = DetectStartMode(ProcessArguments(), ExecutablePath(), GameLoginFolder());
    LauncherWnd = HandleFromArgument(info.launcherWnd);
    PagesBefore = info.pagesBefore;
    PageSecret = info.pageToken;
    return info.mode;
}

bool IsFlashPlayerRecent() {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Macromedia\\FlashPlayer", 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS)
        return false;
    fw::RegKey key(raw);
    // 520 bytes of value; one more character keeps a value stored without its
    // terminator from running on into whatever follows the buffer.
    wchar_t text[261] = {};
    DWORD bytes = 520;
    if (::RegQueryValueExW(key.get(), L"CurrentVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes) !=
        ERROR_SUCCESS)
        return false;
    std::size_t chars = bytes / sizeof(wchar_t);
    std::wstring_view installed(text, chars);
    if (std::size_t end = installed.find(L'\0'); end != std::wstring_view::npos)
        installed = installed.substr(0, end);
    return IsFlashVersionNewer(installed);
}

}  // namespace ovn
