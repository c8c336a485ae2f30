#include "browser/cache_rules.h"

#include <gtest/gtest.h>

using namespace ovn::browser;

TEST(CacheRules, OnlyCookiesAreKept) {
    EXPECT_TRUE(KeepCacheEntry(kCookieCacheEntry));
    EXPECT_TRUE(KeepCacheEntry(kCookieCacheEntry | 0x1));  // a cookie that is also a normal entry
    EXPECT_FALSE(KeepCacheEntry(0x1));                     // NORMAL_CACHE_ENTRY
    EXPECT_FALSE(KeepCacheEntry(0x00200000));              // URLHISTORY_CACHE_ENTRY
    EXPECT_FALSE(KeepCacheEntry(0x4 | 0x40));              // sticky, sparse
    EXPECT_FALSE(KeepCacheEntry(0));
}

TEST(CacheRules, LinksAreNeverEntered) {
    EXPECT_EQ(ClassifyTreeEntry(L".", kAttrDirectory), TreeEntry::Skip);
    EXPECT_EQ(ClassifyTreeEntry(L"..", kAttrDirectory), TreeEntry::Skip);
    EXPECT_EQ(ClassifyTreeEntry(L"", 0), TreeEntry::Skip);
    EXPECT_EQ(ClassifyTreeEntry(L"...", kAttrDirectory), TreeEntry::Folder);  // a name, not the parent
    EXPECT_EQ(ClassifyTreeEntry(L"a.sol", kAttrReadOnly), TreeEntry::File);
    EXPECT_EQ(ClassifyTreeEntry(L"junction", kAttrDirectory | kAttrReparsePoint), TreeEntry::FolderLink);
    EXPECT_EQ(ClassifyTreeEntry(L"link", kAttrDirectory | kAttrReparsePoint | kAttrReadOnly), TreeEntry::FolderLink);
    EXPECT_EQ(ClassifyTreeEntry(L"file-link", kAttrReparsePoint), TreeEntry::FileLink);
}

TEST(CacheRules, PathsAreWholeOrNotAtAll) {
    EXPECT_EQ(ChildPath(L"C:\\cache", L"a.txt"), L"C:\\cache\\a.txt");
    EXPECT_EQ(ChildPath(L"C:\\cache\\", L"a.txt"), L"C:\\cache\\a.txt");
    EXPECT_EQ(ChildPath(L"C:\\cache", L"..\\up"), std::nullopt);
    EXPECT_EQ(ChildPath(L"C:\\cache", L"a/b"), std::nullopt);
    EXPECT_EQ(ChildPath(L"", L"a"), std::nullopt);
    EXPECT_EQ(ChildPath(L"C:\\cache", L""), std::nullopt);

    // Past the system's limit: not named at all, rather than named shorter.
    const std::wstring deep = L"C:\\" + std::wstring(kMaxPathChars - 20, L'd');
    EXPECT_TRUE(ChildPath(deep, L"short").has_value());
    EXPECT_EQ(ChildPath(deep, std::wstring(40, L'n')), std::nullopt);
    // The path leaves room for the longest prefix a call adds (\\?\UNC\, eight).
    const std::size_t roomy = kMaxPathChars - 8 - deep.size() - 1;
    const std::wstring fits = deep + L"\\" + std::wstring(roomy, L'n');
    ASSERT_EQ(fits.size(), kMaxPathChars - 8);
    EXPECT_TRUE(ChildPath(deep, std::wstring(roomy, L'n')) == fits);
    EXPECT_FALSE(ChildPath(deep, std::wstring(roomy + 1, L'n')).has_value());

    // Short paths as they are; long ones in the long form.
    const std::wstring at259 = L"C:\\" + std::wstring(256, L'x');
    ASSERT_EQ(at259.size(), 259u);
    EXPECT_EQ(FileCallPath(at259), at259);
    EXPECT_EQ(FileCallPath(at259 + L"y"), L"\\\\?\\" + at259 + L"y");
    const std::wstring share = L"\\\\server\\share\\" + std::wstring(300, L's');
    EXPECT_EQ(FileCallPath(share), L"\\\\?\\UNC\\" + share.substr(2));
    const std::wstring already = L"\\\\?\\C:\\" + std::wstring(300, L'z');
    EXPECT_EQ(FileCallPath(already), already);
    EXPECT_EQ(FileCallPath(std::wstring(300, L'r')), std::nullopt);          // relative
    EXPECT_EQ(FileCallPath(L"\\\\.\\" + std::wstring(300, L'd')), std::nullopt);  // a device
    EXPECT_EQ(FileCallPath(L""), std::nullopt);
}

TEST(CacheRules, OneClearingAtATimeAndItsMessageAfterTheWork) {
    ClearingTurns turns;
    EXPECT_FALSE(turns.Finished(true)) << "nothing ran: nothing to report";
    ASSERT_TRUE(turns.Request());
    EXPECT_FALSE(turns.Request()) << "a second request while one runs starts nothing";
    EXPECT_TRUE(turns.Running());
    EXPECT_TRUE(turns.Finished(true));
    EXPECT_FALSE(turns.Finished(true)) << "one message per clearing";
    EXPECT_FALSE(turns.Shown());

    // Finished while the boss key hides the launcher: the message waits for it.
    ASSERT_TRUE(turns.Request());
    EXPECT_FALSE(turns.Finished(false));
    EXPECT_TRUE(turns.MessageWaiting());
    EXPECT_TRUE(turns.Shown());
    EXPECT_FALSE(turns.Shown());

    // A worker that could not start says nothing and lets the next request run.
    ASSERT_TRUE(turns.Request());
    turns.Abandon();
    EXPECT_FALSE(turns.Finished(true));
    EXPECT_TRUE(turns.Request());
}
