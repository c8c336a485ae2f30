// The file helpers of installing and removing: counting a folder's files,
// writing a new file (never an old one), and how the removal batch names a path
// in the code page the command processor reads it in.
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
    // A folder that cannot be listed is no count at all: never "empty", never
    // "only the program".
    EXPECT_EQ(ovn::CountFiles(root + L"\\missing"), -1);
    for (const std::wstring& f : {deeper + L"\\c.txt", sub + L"\\b.txt", root + L"\\a.txt"})
        DeleteFileW(f.c_str());
    for (const std::wstring& d : {deeper, sub, root})
        RemoveDirectoryW(d.c_str());
}

TEST(InstallFiles, WriteNewFileNeverTakesOverAnExistingFile) {
    const std::wstring path = Scratch(L"ovn_new_file.bat");
    DeleteFileW(path.c_str());
    EXPECT_TRUE(ovn::WriteNewFile(path.c_str(), "del x\r\n"));
    // Someone's file of the same name (planted, or a batch still running): left
    // as it is, not appended to or replaced.
    SetLastError(0);
    EXPECT_FALSE(ovn::WriteNewFile(path.c_str(), "del y\r\n"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char text[32] = {};
    DWORD read = 0;
    ReadFile(h, text, sizeof text, &read, nullptr);
    CloseHandle(h);
    EXPECT_EQ(std::string(text, read), "del x\r\n");
    DeleteFileW(path.c_str());
    EXPECT_FALSE(ovn::WriteNewFile((Scratch(L"ovn_no_such_folder") + L"\\x.bat").c_str(), "x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// The command processor reads a batch file in the OEM code page: a path is
// written there exactly, or by its short name, or not at all.
TEST(InstallFiles, BatchPathIsSpeltInTheCodePageItIsReadIn) {
    const std::wstring folder = Scratch(L"Jeu-\u00e9");
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring exe = folder + L"\\Ovn.exe";
    HANDLE h = CreateFileW(exe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    // "é" is 0xE9 in code page 1252 and 0x82 in code page 437, where 0xE9 is "Θ".
    const auto oem = ovn::BatchPath(exe, 437);
    ASSERT_TRUE(oem);
    EXPECT_NE(oem->find("Jeu-\x82\\"), std::string::npos);
    EXPECT_EQ(oem->find('\xE9'), std::string::npos);
    EXPECT_EQ(ovn::BatchPath(exe, 1252)->find("Jeu-\xE9\\"), oem->find("Jeu-\x82\\"));
    // A name the code page cannot spell is named by its short form, which can.
    const std::wstring chinese = Scratch(L"\u6e38\u620f");
    CreateDirectoryW(chinese.c_str(), nullptr);
    const auto shortName = ovn::BatchPath(chinese, 437);
    ASSERT_TRUE(shortName);
    for (char c : *shortName)
        EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80 && c != '?') << *shortName;
    // A batch still to be written there: its folder's short form and its own name.
    const auto toWrite = ovn::BatchPath(chinese + L"\\DelA1B2.tmp.bat", 437);
    ASSERT_TRUE(toWrite);
    EXPECT_EQ(*toWrite, *shortName + "\\DelA1B2.tmp.bat");
    // A name nothing can spell, in whatever folder: nothing.
    EXPECT_FALSE(ovn::BatchPath(Scratch(L"\u6e38-missing"), 437));
    DeleteFileW(exe.c_str());
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(chinese.c_str());
}

}  // namespace
