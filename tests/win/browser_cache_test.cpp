// Cache clearing on real folders and the real URL cache: the recursive delete
// (read-only files, files in use, paths past the old 260-character limit, links
// inside that must never be followed) and the whole clearing, after which the
// cookies are still there and nothing else is.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <fstream>
#include <string>
#include <vector>

#include "browser/cache_clearing.h"

using ovn::browser::CacheLocations;
using ovn::browser::ClearCaches;
using ovn::browser::DeleteTree;

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Write(const std::wstring& path, const char* text = "x") { std::ofstream(path.c_str()) << text; }

std::wstring Scratch(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}

// The folders with links that ctest's cache_links.make fixture made from Linux.
std::wstring LinkFolders() {
    wchar_t path[1024] = {};
    const DWORD n = GetEnvironmentVariableW(L"OVN_CACHE_LINKS", path, 1024);
    return n > 0 && n < 1024 ? std::wstring(path, n) : std::wstring();
}

bool IsLink(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

TEST(CacheClearing, DeleteTreeRemovesEverythingButWhatIsInUse) {
    const std::wstring root = Scratch(L"ovn-delete-tree");
    for (const wchar_t* folder : {L"", L"\\sub", L"\\sub\\deeper", L"\\empty"})
        CreateDirectoryW((root + folder).c_str(), nullptr);
    Write(root + L"\\a.txt");
    Write(root + L"\\sub\\b.txt");
    Write(root + L"\\sub\\deeper\\c.txt");
    SetFileAttributesW((root + L"\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((root + L"\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    // A file in use stays, with its folders; everything else goes.
    {
        HANDLE busy = CreateFileW((root + L"\\sub\\deeper\\c.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(busy, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(DeleteTree(root.c_str()));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        CloseHandle(busy);
    }
    EXPECT_FALSE(Exists(root + L"\\a.txt")) << "read-only files are deleted";
    EXPECT_FALSE(Exists(root + L"\\sub\\b.txt"));
    EXPECT_FALSE(Exists(root + L"\\empty"));
    EXPECT_TRUE(Exists(root + L"\\sub\\deeper\\c.txt"));

    EXPECT_TRUE(DeleteTree((root + L"\\").c_str()));
    EXPECT_FALSE(Exists(root)) << "the folder itself goes";
    EXPECT_FALSE(DeleteTree(root.c_str()));
    EXPECT_FALSE(DeleteTree(nullptr));
    EXPECT_FALSE(DeleteTree(L""));
}

TEST(CacheClearing, PathsPastTheOldLimitAreDeletedWhole) {
    const std::wstring root = Scratch(L"ovn-deep-tree");
    std::wstring path = L"\\\\?\\" + root;
    CreateDirectoryW(path.c_str(), nullptr);
    Write(root + L"\\near.txt");
    for (int i = 0; i < 6; ++i) {
        path += L"\\" + std::wstring(60, static_cast<wchar_t>(L'a' + i));
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    }
    const std::wstring deep = path + L"\\deep.sol";
    Write(deep);
    ASSERT_GT(deep.size() - 4, 300u);
    ASSERT_TRUE(Exists(deep));
    EXPECT_TRUE(DeleteTree(root.c_str()));
    EXPECT_FALSE(Exists(L"\\\\?\\" + root));
}

TEST(CacheClearing, LinksInsideAreRemovedAndNeverFollowed) {
    const std::wstring links = LinkFolders();
    ASSERT_FALSE(links.empty()) << "run through ctest: its cache_links.make fixture makes the links";
    const std::wstring keep = links + L"\\outside\\keep.txt";
    ASSERT_TRUE(Exists(keep));
    ASSERT_TRUE(IsLink(links + L"\\tree\\site\\link")) << "the fixture's link is not seen as one";

    DeleteTree((links + L"\\tree").c_str());
    EXPECT_TRUE(Exists(keep)) << "the delete followed a link out of the folder";
    EXPECT_FALSE(Exists(links + L"\\tree\\site\\a.sol"));
    // A folder that is itself a link is only unlinked.
    DeleteTree((links + L"\\linkroot").c_str());
    EXPECT_TRUE(Exists(keep));
}

TEST(CacheClearing, CookiesSurviveAndEverythingElseGoes) {
    const std::wstring links = LinkFolders();
    ASSERT_FALSE(links.empty()) << "run through ctest: its cache_links.make fixture makes the links";
    const std::wstring keep = links + L"\\outside\\keep.txt";

    // The portal's login cookie, kept on disk, and a page in the URL cache.
    ASSERT_TRUE(InternetSetCookieW(L"http://127.0.0.1/", L"Pauth", L"player; expires=Sat, 01-Jan-2050 00:00:00 GMT"));
    const wchar_t page[] = L"http://127.0.0.1/ovn-cache-test.htm";
    wchar_t file[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryW(page, 0, L"htm", file, 0));
    Write(file, "<html></html>");
    FILETIME none{};
    ASSERT_TRUE(CommitUrlCacheEntryW(page, file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
    const auto cookieEntries = [] {
        std::vector<std::wstring> urls;
        std::vector<BYTE> buffer(16384);
        auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
        DWORD size = static_cast<DWORD>(buffer.size());
        HANDLE find = FindFirstUrlCacheEntryW(nullptr, entry, &size);
        for (bool more = find != nullptr; more; more = FindNextUrlCacheEntryW(find, entry, &size)) {
            if ((entry->CacheEntryType & COOKIE_CACHE_ENTRY) &&
                std::wstring(entry->lpszSourceUrlName).find(L"127.0.0.1") != std::wstring::npos)
                urls.emplace_back(entry->lpszSourceUrlName);
            size = static_cast<DWORD>(buffer.size());
        }
        if (find)
            FindCloseUrlCache(find);
        return urls;
    };
    ASSERT_FALSE(cookieEntries().empty()) << "the cookie is not in the URL cache";

    // No shared objects folder at all: the later steps still run.
    CacheLocations where;
    where.sharedObjects = Scratch(L"ovn-no-flash\\#SharedObjects");
    where.internetCache = links + L"\\inetcache";
    ClearCaches(where);

    EXPECT_FALSE(cookieEntries().empty()) << "the login cookie was deleted";
    wchar_t cookie[256] = {};
    DWORD length = 256;
    EXPECT_TRUE(InternetGetCookieW(L"http://127.0.0.1/", nullptr, cookie, &length));
    EXPECT_NE(std::wstring(cookie).find(L"Pauth=player"), std::wstring::npos);
    DWORD needed = 0;
    EXPECT_FALSE(GetUrlCacheEntryInfoW(page, nullptr, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << "the page's cache entry is still there";
    EXPECT_FALSE(Exists(links + L"\\inetcache\\Content.IE5\\AB12")) << "the temporary files are not deleted";
    EXPECT_TRUE(Exists(keep)) << "the clearing followed a link out of the cache";

    // The shared objects, with a link inside.
    where.sharedObjects = links + L"\\shared";
    where.internetCache.clear();
    ClearCaches(where);
    EXPECT_FALSE(Exists(links + L"\\shared\\site\\b.sol"));
    EXPECT_TRUE(Exists(keep));
    InternetSetCookieW(L"http://127.0.0.1/", L"Pauth", L"; expires=Thu, 01-Jan-1970 00:00:00 GMT");
}
