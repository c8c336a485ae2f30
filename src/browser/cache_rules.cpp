#include "browser/cache_rules.h"

namespace ovn::browser {

bool KeepCacheEntry(std::uint32_t entryType) { return (entryType & kCookieCacheEntry) != 0; }

TreeEntry ClassifyTreeEntry(std::wstring_view name, std::uint32_t attributes) {
    if (name.empty() || name == L"." || name == L"..")
        return TreeEntry::Skip;
    const bool folder = (attributes & kAttrDirectory) != 0;
    if (attributes & kAttrReparsePoint)
        return folder ? TreeEntry::FolderLink : TreeEntry::FileLink;
    return folder ? TreeEntry::Folder : TreeEntry::File;
}

std::optional<std::wstring> ChildPath(std::wstring_view folder, std::wstring_view name) {
    // A name with a separator would leave the folder being cleared.
    if (folder.empty() || name.empty() || name.find_first_of(L"\\/") != std::wstring_view::npos)
        return std::nullopt;
    std::wstring path(folder);
    if (path.back() != L'\\')
        path += L'\\';
    path += name;
    // Room for the \\?\UNC\ prefix the call may need.
    if (path.size() + 8 > kMaxPathChars)
        return std::nullopt;
    return path;
}

std::optional<std::wstring> FileCallPath(std::wstring_view path) {
    if (path.empty())
        return std::nullopt;
    if (path.size() <= kPlainPathChars || path.starts_with(L"\\\\?\\"))
        return std::wstring(path);
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
                       ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    if (drive)
        return L"\\\\?\\" + std::wstring(path);
    if (path.starts_with(L"\\\\") && path.size() > 2 && path[2] != L'.' && path[2] != L'?')
        return L"\\\\?\\UNC\\" + std::wstring(path.substr(2));
    return std::nullopt;
}

bool ClearingTurns::Request() {
    if (m_running)
        return false;
    m_running = true;
    return true;
}

bool ClearingTurns::Finished(bool launcherVisible) {
    if (!m_running)
        return false;
    m_running = false;
    m_messageWaiting = !launcherVisible;
    return launcherVisible;
}

bool ClearingTurns::Shown() {
    const bool due = m_messageWaiting;
    m_messageWaiting = false;
    return due;
}

}  // namespace ovn::browser
