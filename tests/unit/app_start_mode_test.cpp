#include "app/start_mode.h"

#include <gtest/gtest.h>

using ovn::DetectStartMode;
using ovn::StartModeInfo;

namespace {

const std::wstring kFolder = L"C:\\ProgramData\\Quenra\\GameLogin";
const std::wstring kElsewhere = L"C:\\Downloads\\Ovn.exe";
const std::wstring kInstalled = L"C:\\ProgramData\\Quenra\\GameLogin\\Ovn.exe";

StartModeInfo Detect(std::vector<std::wstring> args, const std::wstring& exe = kElsewhere) {
    args.insert(args.begin(), L"Ovn.exe");
    return DetectStartMode(args, exe, kFolder);
}

}  // namespace

TEST(DetectStartMode, SwitchesIgnoreCase) {
    EXPECT_EQ(Detect({L"/webQuenraD"}).mode, ovn::ModePortal);
    EXPECT_EQ(Detect({L"/WEBQUENRAD"}).mode, ovn::ModePortal);
    EXPECT_EQ(Detect({L"/OvnD"}).mode, ovn::ModeShortcut);
    EXPECT_EQ(Detect({L"/OVND"}).mode, ovn::ModeShortcut);
    EXPECT_EQ(Detect({L"/ovnd"}).mode, ovn::ModeShortcut);
    EXPECT_EQ(Detect({L"/uninst"}).mode, ovn::ModeRemove);
    EXPECT_EQ(Detect({L"/Update"}).mode, ovn::ModeUpdate);
    EXPECT_EQ(Detect({L"/NEWGM", L"/1", L"/0"}).mode, ovn::ModeGamePage);
    EXPECT_EQ(Detect({L"/GmHall", L"/1"}).mode, ovn::ModeGameHall);
    // Only the first argument counts; later ones are not switches.
    EXPECT_EQ(Detect({L"/uninst", L"/OvnD"}).mode, ovn::ModeRemove);
    // The switch values stay zero outside the page modes.
    StartModeInfo shortcut = Detect({L"/OvnD", L"/55", L"/3"});
    EXPECT_EQ(shortcut.launcherWnd, 0);
    EXPECT_EQ(shortcut.pagesBefore, 0);
}

TEST(DetectStartMode, NoSwitchFallsToTheFolderTest) {
    EXPECT_EQ(Detect({}).mode, ovn::ModeInstall);
    EXPECT_EQ(Detect({}, kInstalled).mode, ovn::ModeLauncher);
    // Near misses of a switch and plain file names are no switch.
    EXPECT_EQ(Detect({L"/OvnDx"}).mode, ovn::ModeInstall);
    EXPECT_EQ(Detect({L"/OvnDx"}, kInstalled).mode, ovn::ModeLauncher);
    EXPECT_EQ(Detect({L"readme.txt"}, kInstalled).mode, ovn::ModeLauncher);
    EXPECT_EQ(Detect({L"OvnD"}).mode, ovn::ModeInstall);
    EXPECT_EQ(Detect({L""}).mode, ovn::ModeInstall);
    // Anywhere in the path, in any case.
    EXPECT_EQ(Detect({}, L"c:\\programdata\\quenra\\gamelogin\\sub\\ovn.exe").mode, ovn::ModeLauncher);
    EXPECT_EQ(Detect({}, L"D:\\x\\C:\\PROGRAMDATA\\QUENRA\\GAMELOGIN2\\Ovn.exe").mode, ovn::ModeLauncher);
    EXPECT_EQ(Detect({}, L"C:\\ProgramData\\Quenra\\Ovn.exe").mode, ovn::ModeInstall);
    // An unknown install folder never makes every copy the installed one.
    EXPECT_EQ(DetectStartMode({L"Ovn.exe"}, kInstalled, L"").mode, ovn::ModeInstall);
}

TEST(DetectStartMode, PageNumbersSkipTheirFirstCharacter) {
    StartModeInfo page = Detect({L"/newgm", L"/1234", L"/2"});
    EXPECT_EQ(page.mode, ovn::ModeGamePage);
    EXPECT_EQ(page.launcherWnd, 1234);
    EXPECT_EQ(page.pagesBefore, 2);
    EXPECT_EQ(page.pageToken, 0u);  // none given
    EXPECT_EQ(Detect({L"/newgm", L"/1234", L"/2", L"/00000000deadbeef"}).pageToken, 0xdeadbeefu);

    StartModeInfo bare = Detect({L"/newgm", L"1234", L"2"});
    EXPECT_EQ(bare.launcherWnd, 234);
    EXPECT_EQ(bare.pagesBefore, 0);

    StartModeInfo hall = Detect({L"/gmhall", L"/65552"});
    EXPECT_EQ(hall.mode, ovn::ModeGameHall);
    EXPECT_EQ(hall.launcherWnd, 65552);
    EXPECT_EQ(hall.pagesBefore, 0);

    // Signed decimal, as the launcher writes a 32-bit handle value.
    EXPECT_EQ(Detect({L"/newgm", L"/-2147483648", L"/0"}).launcherWnd, INT32_MIN);
    EXPECT_EQ(Detect({L"/newgm", L"/ 77x", L"/-1"}).launcherWnd, 77);
    EXPECT_EQ(Detect({L"/newgm", L"/77", L"/-1"}).pagesBefore, -1);
    // The unsigned spelling of a handle above 2^31 is the same 32-bit value.
    EXPECT_EQ(Detect({L"/gmhall", L"/4294967295"}).launcherWnd, -1);
}

TEST(DetectStartMode, MissingOrOverlongNumbersGiveZero) {
    StartModeInfo none = Detect({L"/newgm"});
    EXPECT_EQ(none.mode, ovn::ModeGamePage);  // still a page: never an install
    EXPECT_EQ(none.launcherWnd, 0);
    EXPECT_EQ(none.pagesBefore, 0);

    StartModeInfo oneMissing = Detect({L"/newgm", L"/99"});
    EXPECT_EQ(oneMissing.launcherWnd, 99);
    EXPECT_EQ(oneMissing.pagesBefore, 0);

    EXPECT_EQ(Detect({L"/gmhall"}).mode, ovn::ModeGameHall);
    EXPECT_EQ(Detect({L"/gmhall"}).launcherWnd, 0);

    // 15 characters are read, 16 are refused rather than cut to another number.
    EXPECT_EQ(Detect({L"/newgm", L"/00000000001234", L"/123456"}).launcherWnd, 1234);
    EXPECT_EQ(Detect({L"/newgm", L"/00000000001234", L"/123456"}).pagesBefore, 123456);
    EXPECT_EQ(Detect({L"/newgm", L"/000000000001234", L"/1234567"}).launcherWnd, 0);
    EXPECT_EQ(Detect({L"/newgm", L"/1", L"/1234567"}).pagesBefore, 0);
    // Beyond 32 bits is no handle.
    EXPECT_EQ(Detect({L"/gmhall", L"/4294967296"}).launcherWnd, 0);
    EXPECT_EQ(Detect({L"/gmhall", L"/-2147483649"}).launcherWnd, 0);
}
