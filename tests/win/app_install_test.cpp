// The file helpers of installing and removing: counting a folder's files and
// appending to a file, with their failure values.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/install.h"

namespace {

std::wstring Scratch(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}

void Touch(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

TEST(InstallFiles, CountFilesCountsFilesOfEveryLevel) {
    const std::wstring root = Scratch(L"ovn_count_files");
    const std::wstring sub = root + L"\\sub", deeper = sub + L"\\deeper";
    CreateDirectoryW(root.c_str(), nullptr);
    EXPECT_EQ(ovn::CountFiles(root), 0);
    CreateDirectoryW(sub.c_str(), nullptr);
    CreateDirectoryW(deeper.c_str(), nullptr);
    EXPECT_EQ(ovn::CountFiles(root), 0);  // folders are not counted
    Touch(root + L"\\a.txt");
    Touch(sub + L"\\b.txt");
    Touch(deeper + L"\\c.txt");
    EXPECT_EQ(ovn::CountFiles(root), 3);
    EXPECT_EQ(ovn::CountFiles(root + L"\\"), 3);
    // A folder that cannot be listed counts as one file: never "empty".
    EXPECT_EQ(ovn::CountFiles(root + L"\\missing"), 1);
    for (const std::wstring& f : {deeper + L"\\c.txt", sub + L"\\b.txt", root + L"\\a.txt"})
        DeleteFileW(f.c_str());
    for (const std::wstring& d : {deeper, sub, root})
        RemoveDirectoryW(d.c_str());
}

TEST(InstallFiles, AppendToFileAppendsAndReportsFailure) {
    const std::wstring path = Scratch(L"ovn_append.txt");
    DeleteFileW(path.c_str());
    EXPECT_EQ(ovn::AppendToFile(path.c_str(), "abc"), 3);
    EXPECT_EQ(ovn::AppendToFile(path.c_str(), "de\r\n"), 4);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char text[16] = {};
    DWORD read = 0;
    ReadFile(h, text, sizeof text, &read, nullptr);
    CloseHandle(h);
    EXPECT_EQ(std::string(text, read), "abcde\r\n");
    DeleteFileW(path.c_str());
    SetLastError(0);
    EXPECT_EQ(ovn::AppendToFile((Scratch(L"ovn_no_such_folder") + L"\\x.txt").c_str(), "x"), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
