#include "app/crash_dump_path.h"

#include <algorithm>

#include "common/text.h"

namespace ovn {

namespace {

constexpr std::wstring_view kDumpExtension = L".dmp";

bool AllDigits(std::wstring_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

}  // namespace

std::wstring ProgramStem(std::wstring_view exePath) {
    const std::size_t slash = exePath.find_last_of(L"\\/");
    std::wstring_view name = slash == std::wstring_view::npos ? exePath : exePath.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos)
        name = name.substr(0, dot);
    return std::wstring(name);
}

std::optional<std::wstring> CrashDumpPath(std::wstring_view folder, std::wstring_view stem, std::wstring_view role,
                                          std::uint32_t processId) {
    if (folder.empty() || stem.empty() || role.empty() || role.find(L'-') != std::wstring_view::npos)
        return std::nullopt;
    std::wstring path(folder);
    path.append(stem).append(L"-").append(role).append(L"-").append(std::to_wstring(processId));
    return path.append(kDumpExtension);
}

bool IsOwnCrashDump(std::wstring_view name, std::wstring_view stem) {
    if (stem.empty() || name.size() <= stem.size() + 1 + kDumpExtension.size() ||
        !EqualsNoCase(name.substr(0, stem.size()), stem) || name[stem.size()] != L'-' ||
        !EqualsNoCase(name.substr(name.size() - kDumpExtension.size()), kDumpExtension))
        return false;
    // What is left is "<role>-<digits>", the role without a "-" of its own.
    const std::wstring_view rest =
        name.substr(stem.size() + 1, name.size() - stem.size() - 1 - kDumpExtension.size());
    const std::size_t dash = rest.find(L'-');
    return dash != std::wstring_view::npos && dash > 0 && AllDigits(rest.substr(dash + 1));
}

std::vector<std::wstring> CrashDumpsToPrune(const std::vector<DumpFile>& found, std::wstring_view stem) {
    std::vector<const DumpFile*> own;
    for (const DumpFile& file : found)
        if (IsOwnCrashDump(file.name, stem))
            own.push_back(&file);
    std::sort(own.begin(), own.end(), [](const DumpFile* a, const DumpFile* b) {
        return a->writeTime != b->writeTime ? a->writeTime < b->writeTime : a->name < b->name;
    });
    std::vector<std::wstring> prune;
    // The new dump takes one of the places.
    while (own.size() - prune.size() > kKeptCrashDumps - 1)
        prune.push_back(own[prune.size()]->name);
    return prune;
}

}  // namespace ovn
