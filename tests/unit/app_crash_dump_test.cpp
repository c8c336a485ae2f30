// Where the program's run-time files go, and which crash dumps stay.
#include "app/crash_dump_path.h"
#include "process/folders.h"

#include <gtest/gtest.h>

using namespace ovn;

TEST(PlayerFolder, UnderTheLocalApplicationDataFolder) {
    const std::wstring expected = L"C:\\Users\\p\\AppData\\Local\\Quenra\\GameLogin\\";
    EXPECT_EQ(PlayerFolderUnder(L"C:\\Users\\p\\AppData\\Local"), expected);
    EXPECT_EQ(PlayerFolderUnder(L"C:\\Users\\p\\AppData\\Local\\"), expected);
    EXPECT_EQ(PlayerFolderUnder(L""), L"");
    EXPECT_EQ(PlayerFolderUnder(L"\\"), L"");
}

TEST(CrashDumpPath, NamedByProgramRoleAndProcess) {
    const std::wstring folder = L"C:\\L\\Quenra\\GameLogin\\";
    EXPECT_EQ(ProgramStem(L"C:\\Games\\X.exe"), L"X");
    EXPECT_EQ(ProgramStem(L"C:\\my.games\\Ovn.exe"), L"Ovn");
    EXPECT_EQ(ProgramStem(L"C:\\Games\\X"), L"X");
    EXPECT_EQ(ProgramStem(L"C:\\Games\\"), L"");
    EXPECT_EQ(CrashDumpPath(folder, L"Ovn", L"page", 4242), folder + L"Ovn-page-4242.dmp");
    EXPECT_EQ(CrashDumpPath(folder, L"Ovn", L"launcher", 0), folder + L"Ovn-launcher-0.dmp");
    EXPECT_EQ(CrashDumpPath(L"", L"Ovn", L"page", 1), std::nullopt);
    EXPECT_EQ(CrashDumpPath(folder, L"", L"page", 1), std::nullopt);
    EXPECT_EQ(CrashDumpPath(folder, L"Ovn", L"", 1), std::nullopt);
    EXPECT_EQ(CrashDumpPath(folder, L"Ovn", L"a-b", 1), std::nullopt);
}

TEST(CrashDumpPath, OnlyThisProgramsDumpsAreItsOwn) {
    EXPECT_TRUE(IsOwnCrashDump(L"Ovn-page-12.dmp", L"Ovn"));
    EXPECT_TRUE(IsOwnCrashDump(L"OVN-hall-7.DMP", L"Ovn"));
    EXPECT_FALSE(IsOwnCrashDump(L"Ovn2-page-12.dmp", L"Ovn"));     // another game's launcher
    EXPECT_FALSE(IsOwnCrashDump(L"Ovn.dmp", L"Ovn"));              // an older release's name
    EXPECT_FALSE(IsOwnCrashDump(L"Ovn-page-.dmp", L"Ovn"));
    EXPECT_FALSE(IsOwnCrashDump(L"Ovn--12.dmp", L"Ovn"));
    EXPECT_FALSE(IsOwnCrashDump(L"Ovn-page-12x.dmp", L"Ovn"));
    EXPECT_FALSE(IsOwnCrashDump(L"Ovn-page-12.dmp.txt", L"Ovn"));
    EXPECT_FALSE(IsOwnCrashDump(L"Ovn-page-12.dmp", L""));
}

TEST(CrashDumpPath, PrunesTheOldestOwnDumpsToMakeRoom) {
    std::vector<DumpFile> found;
    for (std::uint64_t t = 1; t <= 6; ++t)
        found.push_back({L"Ovn-page-" + std::to_wstring(100 + t) + L".dmp", t * 10});
    found.push_back({L"Other-page-1.dmp", 0});  // oldest of all, but not ours
    found.push_back({L"notes.dmp", 1});
    // Six of ours: two go, so that four stay beside the new one.
    EXPECT_EQ(CrashDumpsToPrune(found, L"Ovn"), (std::vector<std::wstring>{L"Ovn-page-101.dmp", L"Ovn-page-102.dmp"}));
    // Equal times: by name.
    std::vector<DumpFile> tied;
    for (int i = 5; i >= 1; --i)
        tied.push_back({L"Ovn-hall-" + std::to_wstring(i) + L".dmp", 7});
    EXPECT_EQ(CrashDumpsToPrune(tied, L"Ovn"), (std::vector<std::wstring>{L"Ovn-hall-1.dmp"}));
    // Room enough already.
    found.resize(4);
    EXPECT_TRUE(CrashDumpsToPrune(found, L"Ovn").empty());
    EXPECT_TRUE(CrashDumpsToPrune({}, L"Ovn").empty());
}
