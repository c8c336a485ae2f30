#include "browser/cache_clearing.h"

#include <shlobj.h>
#include <wininet.h>

#include <optional>
#include <vector>

#include "browser/cache_rules.h"
#include "common/log.h"
#include "common/newer_windows.h"
#include "framework/handles.h"

namespace ovn::browser {

namespace {

struct FindTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::FindClose(h); }
};
using FindHandle = fw::UniqueHandle<FindTraits>;

struct UrlCacheFindTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::FindCloseUrlCache(h); }
};
using UrlCacheFind = fw::UniqueHandle<UrlCacheFindTraits>;

bool Cancelled(const std::atomic<bool>* cancel) { return cancel && cancel->load(); }

// The errors of one deletion: the last failed file (or link) deletion wins.
struct Deletion {
    const std::atomic<bool>* cancel = nullptr;
    DWORD fileError = 0;
};

// Read-only is cleared on the entry itself: opened as a link where it is one,
// so a link's target never has its attributes changed.
void ClearReadOnly(const std::wstring& call, DWORD attributes) {
    fw::FileHandle entry(::CreateFileW(call.c_str(), FILE_WRITE_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry || !SetAttributesByHandle(entry.get(), (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL))
        if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            ::SetFileAttributesW(call.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

void DeleteEntry(const std::wstring& path, DWORD attributes, TreeEntry kind, Deletion& d);

bool DeleteFolder(const std::wstring& folder, Deletion& d) {
    const std::optional<std::wstring> call = FileCallPath(folder);
    const std::optional<std::wstring> pattern = ChildPath(folder, L"*");
    const std::optional<std::wstring> patternCall = pattern ? FileCallPath(*pattern) : std::nullopt;
    if (!call || !patternCall) {
        LogFailureF(0, L"cache clearing: a folder path of %zu characters cannot be named whole; skipped",
                    folder.size());
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    WIN32_FIND_DATAW found{};
    FindHandle search(::FindFirstFileExW(patternCall->c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                         nullptr, 0));
    if (search) {
        do {
            if (Cancelled(d.cancel))
                break;
            const TreeEntry kind = ClassifyTreeEntry(found.cFileName, found.dwFileAttributes);
            if (kind == TreeEntry::Skip)
                continue;
            const std::optional<std::wstring> child = ChildPath(folder, found.cFileName);
            if (!child) {
                LogFailureF(0, L"cache clearing: an entry under a folder of %zu characters is too deep; skipped",
                            folder.size());
                d.fileError = ERROR_FILENAME_EXCED_RANGE;
                continue;
            }
            DeleteEntry(*child, found.dwFileAttributes, kind, d);
        } while (::FindNextFileW(search.get(), &found));
        search.reset();
    }
    return ::RemoveDirectoryW(call->c_str()) != FALSE;
}

void DeleteEntry(const std::wstring& path, DWORD attributes, TreeEntry kind, Deletion& d) {
    const std::optional<std::wstring> call = FileCallPath(path);
    if (!call) {
        LogFailureF(0, L"cache clearing: a path of %zu characters cannot be named whole; skipped", path.size());
        d.fileError = ERROR_FILENAME_EXCED_RANGE;
        return;
    }
    switch (kind) {
    case TreeEntry::Folder:
        DeleteFolder(path, d);  // a folder that stays makes its parent's removal fail
        return;
    case TreeEntry::FolderLink:
        // Removing a folder link removes the link; what it points to stays.
        if (!::RemoveDirectoryW(call->c_str())) {
            if (attributes & FILE_ATTRIBUTE_READONLY) {
                ClearReadOnly(*call, attributes);
                if (::RemoveDirectoryW(call->c_str()))
                    return;
            }
            d.fileError = ::GetLastError();
        }
        return;
    case TreeEntry::File:
    case TreeEntry::FileLink:
        if (attributes & FILE_ATTRIBUTE_READONLY)
            ClearReadOnly(*call, attributes);
        if (!::DeleteFileW(call->c_str()))
            d.fileError = ::GetLastError();
        return;
    case TreeEntry::Skip:
        return;
    }
}

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

void ClearUrlCache(const std::atomic<bool>* cancel) {
    // The entries are listed first and deleted after, so the listing never runs
    // over entries that are going.
    std::vector<std::wstring> doomed;
    std::vector<BYTE> buffer(4096);
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    DWORD size = static_cast<DWORD>(buffer.size());
    UrlCacheFind find(::FindFirstUrlCacheEntryW(nullptr, entry, &size));
    if (!find && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(size);
        entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
        find.reset(::FindFirstUrlCacheEntryW(nullptr, entry, &size));
    }
    if (!find)
        return;  // an empty cache, or none
    for (;;) {
        if (!KeepCacheEntry(entry->CacheEntryType) && entry->lpszSourceUrlName)
            doomed.emplace_back(entry->lpszSourceUrlName);
        size = static_cast<DWORD>(buffer.size());
        if (::FindNextUrlCacheEntryW(find.get(), entry, &size))
            continue;
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;  // ERROR_NO_MORE_ITEMS, or the listing failed
        buffer.resize(size);
        entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
        if (!::FindNextUrlCacheEntryW(find.get(), entry, &size))
            break;
    }
    find.reset();
    for (const std::wstring& url : doomed) {
        if (Cancelled(cancel))
            return;
        ::DeleteUrlCacheEntryW(url.c_str());  // one that cannot go is skipped
    }
}

}  // namespace

bool DeleteTree(const wchar_t* folder, const std::atomic<bool>* cancel) {
    if (!folder || !*folder) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::wstring path(folder);
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    if (const std::optional<std::wstring> call = FileCallPath(path)) {
        const DWORD attributes = ::GetFileAttributesW(call->c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return ::RemoveDirectoryW(call->c_str()) != FALSE;  // the folder is a link: only the link goes
    }
    Deletion d{cancel};
    const bool removed = DeleteFolder(path, d);
    if (d.fileError != 0) {
        ::SetLastError(d.fileError);
        return false;
    }
    return removed;
}

CacheLocations CacheLocations::OfThisUser() {
    CacheLocations where;
    if (std::wstring appData = ShellFolder(CSIDL_APPDATA); !appData.empty())
        where.sharedObjects = appData + L"\\Macromedia\\Flash Player\\#SharedObjects";
    where.internetCache = ShellFolder(CSIDL_INTERNET_CACHE);
    return where;
}

void ClearCaches(const CacheLocations& where, const std::atomic<bool>* cancel) {
    // A folder that is not there is no failure: the next step runs all the same.
    if (!where.sharedObjects.empty())
        DeleteTree(where.sharedObjects.c_str(), cancel);
    if (!Cancelled(cancel))
        ClearUrlCache(cancel);
    if (!Cancelled(cancel) && !where.internetCache.empty())
        DeleteTree(where.internetCache.c_str(), cancel);
}

bool SetCacheLimit() {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER,
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\5.0\\Cache\\Content", 0,
                        KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS)
        return false;  // not created when missing: the limit stays as it was
    fw::RegKey key(raw);
    const DWORD limit = 0x100000;
    return ::RegSetValueExW(key.get(), L"CacheLimit", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&limit),
                            sizeof limit) == ERROR_SUCCESS;
}

}  // namespace ovn::browser
