#include "app/crash_dump_path.h"

namespace ovn {

std::optional<std::wstring> CrashDumpPath(std::wstring_view exePath) {
    std::size_t dot = exePath.rfind(L'.');
    if (dot == std::wstring_view::npos)
        return std::nullopt;
    return std::wstring(exePath.substr(0, dot)) + L".dmp";
}

}  // namespace ovn
