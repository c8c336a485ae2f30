// Self-update from outside: the portal publishes a package, the installed copy
// started from its shortcut downloads it, swaps it in and starts it; a package
// that is cut short, not the published one, missing or a server's error page
// leaves the running copy untouched and running, as does an empty package or
// one redirected off the portal's list; closing the progress dialog during a
// slow download leaves a working launcher. A signed copy takes only packages
// its own publisher signed.
#include <gtest/gtest.h>

#include "tests/e2e/life_support.h"
#include "tests/signing/signed_files.h"

using namespace life;

namespace {

constexpr wchar_t kProgressTitle[] = L"版本更新中...";

class UpdateE2e : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ClearInstallation();
        CreateDirectoryW((SpecialFolderPath(CSIDL_COMMON_APPDATA) + L"\\Quenra").c_str(), nullptr);
        CreateDirectoryW(InstallFolder().c_str(), nullptr);
        ASSERT_TRUE(CopyOver(Environment::Get().exePath, InstalledExe()));
        original = FileBytes(InstalledExe());
        PortalRequests(true);
    }
    void TearDown() override {
        PublishUpdate(L"off");
        HttpGet(L"/__misbehave?path=/update/pkg/Ovn.exe&mode=off");
        EndAllCopies();
        ClearInstallation();
        CoUninitialize();
    }

    // Starts the installed copy from its game shortcut's command line.
    // A start that fails says why: once in a soak the installed copy could not be
    // started right after the copies before it were ended.
    void StartFromShortcut() { StartAs(L"/OvnD"); }
    void StartAs(const wchar_t* args) {
        ASSERT_TRUE(copy.Start(InstalledExe(), args))
            << "error " << copy.StartError() << "; copies still running: " << ProcessesNamed(L"Ovn.exe").size();
    }

    HWND LauncherWindow(DWORD pid) {
        return WaitForWindow({.pid = pid, .title = L"QuenraOrvane", .visibleOnly = true}, 60s);
    }

    // A failed update: the same process goes on as the launcher, the file is
    // the one it was, and nothing of the package is left.
    void ExpectRunningCopyUntouched() {
        EXPECT_NE(LauncherWindow(copy.Id()), nullptr) << "the launcher did not go on";
        EXPECT_TRUE(copy.Running());
        EXPECT_EQ(FileBytes(InstalledExe()), original);
        EXPECT_FALSE(Exists(InstallFolder() + L"\\NewOvn.exe"));
        EXPECT_FALSE(Exists(InstallFolder() + L"\\OldOvn.exe"));
        EXPECT_EQ(RegistryValue(L"UpdTime"), "");
    }

    Process copy;
    std::string original;
};

// The copy a player's process starts with an administrator's rights when it may
// not replace the program itself: it swaps and stamps, and leaves the start of
// the new copy (and of any launcher) to the player's own process.
TEST_F(UpdateE2e, TheElevatedUpdaterSwapsAndStampsButStartsNothing) {
    PublishUpdate(L"off");
    StartAs(L"/update /elevated");
    EXPECT_EQ(copy.Wait(60s), 0u) << "without an update the elevated copy just ends";
    EXPECT_EQ(FileBytes(InstalledExe()), original);

    PublishUpdate(L"good", L"elev");
    StartAs(L"/update /elevated");
    EXPECT_EQ(copy.Wait(60s), 2u) << "the player's process is told the new copy is in place";
    const std::string now = FileBytes(InstalledExe());
    EXPECT_EQ(now.substr(0, original.size()), original);
    EXPECT_EQ(now.size(), original.size() + std::string("\0OVN-UPDATE-elev", 16).size());
    EXPECT_EQ(RegistryValue(L"UpdTime").size(), 16u);
    EXPECT_EQ(ChildCopy(copy.Id()), 0u) << "the elevated copy started a program";
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, kSettingsKey);
}

TEST_F(UpdateE2e, GoodPackageIsSwappedInAndStarted) {
    PublishUpdate(L"good", L"swap");
    StartFromShortcut();
    // The old copy ends once the new one is started.
    EXPECT_EQ(copy.Wait(60s), 0u);
    const std::string now = FileBytes(InstalledExe());
    EXPECT_EQ(now.size(), original.size() + std::string("\0OVN-UPDATE-swap", 16).size());
    EXPECT_EQ(now.substr(0, original.size()), original);
    DWORD fresh = ChildCopy(copy.Id());
    ASSERT_NE(fresh, 0u) << "the new copy was not started";
    EXPECT_NE(LauncherWindow(fresh), nullptr);
    // The portal sees the new copy's start; it counts as the first.
    EXPECT_TRUE(WaitFor([] { return CountRequests("GET /active.htm?tag=ovn&ver=3.0.0.1&count=1") == 1; }, 20s));
    EXPECT_EQ(CountRequests("GET /update/pkg/Ovn.exe"), 1);
    std::string stamp = RegistryValue(L"UpdTime");
    ASSERT_EQ(stamp.size(), 16u);
    SYSTEMTIME today{};
    GetSystemTime(&today);
    const auto* fields = reinterpret_cast<const WORD*>(stamp.data());
    EXPECT_EQ(fields[0], today.wYear);
    EXPECT_EQ(fields[1], today.wMonth);
    EXPECT_EQ(fields[3], today.wDay);
    // The shortcuts point at the new copy, and the programs list names its size.
    EXPECT_TRUE(Exists(DesktopLink(kLinkGame)));
    EXPECT_EQ(ProgramsEntryValue(L"EstimatedSize"), std::to_wstring((now.size() + 1023) / 1024));

    // The next start from the shortcut checks no more today and clears the old copy.
    EndAllCopies();
    PortalRequests(true);
    Process next;
    ASSERT_TRUE(next.Start(InstalledExe(), L"/OvnD"));
    EXPECT_NE(LauncherWindow(next.Id()), nullptr);
    EXPECT_TRUE(WaitFor([] { return CountRequests("GET /active.htm?tag=ovn&ver=3.0.0.1&count=2") == 1; }, 20s));
    EXPECT_EQ(CountRequests("GET /update/ConfigOvn.htm"), 0);
    EXPECT_FALSE(Exists(InstallFolder() + L"\\OldOvn.exe"));
}

TEST_F(UpdateE2e, UpdateModeIgnoresTheDailyRule) {
    // Updated today already: a shortcut start would not look, "/update" does.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    SYSTEMTIME today{};
    GetSystemTime(&today);
    RegSetValueExW(key, L"UpdTime", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&today), sizeof today);
    RegCloseKey(key);
    PublishUpdate(L"good", L"forced");
    ASSERT_TRUE(copy.Start(InstalledExe(), L"/update"));
    EXPECT_EQ(copy.Wait(60s), 0u);
    EXPECT_NE(FileBytes(InstalledExe()), original);
    DWORD fresh = ChildCopy(copy.Id());
    ASSERT_NE(fresh, 0u) << "the new copy was not started";
    EXPECT_NE(LauncherWindow(fresh), nullptr);
    // Update mode makes no shortcuts.
    EXPECT_FALSE(Exists(DesktopLink(kLinkGame)));
}

TEST_F(UpdateE2e, BadPackagesLeaveTheRunningCopy) {
    struct Case {
        const wchar_t* mode;
        const char* request;  // what the portal must have been asked
    };
    const Case cases[] = {
        {L"truncated", "GET /update/pkg/Ovn.exe"},
        {L"mismatch", "GET /update/pkg/Ovn.exe"},
        {L"404", "GET /update/pkg/missing.exe"},
        {L"500", "GET /update/pkg/error.exe"},
        // The digest of nothing published as the key: no program to swap in.
        {L"empty", "GET /update/pkg/Ovn.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode, c.mode + wcslen(c.mode)));
        PublishUpdate(c.mode);
        PortalRequests(true);
        StartFromShortcut();
        ExpectRunningCopyUntouched();
        EXPECT_EQ(CountRequests(c.request), 1);
        EndAllCopies();
    }
}

TEST_F(UpdateE2e, OffListPackageIsNeverFetched) {
    PublishUpdate(L"offlist");
    StartFromShortcut();
    ExpectRunningCopyUntouched();
    EXPECT_EQ(CountRequests("GET /update/ConfigOvn.htm"), 1);
}

TEST_F(UpdateE2e, PackageRedirectedOffTheListIsNeverFetched) {
    // The package's own address is on the list; its answer sends the download
    // on to a host that is not, which serves the published package.
    PublishUpdate(L"good", L"offlist-hop");
    HttpGet(L"/__misbehave?path=/update/pkg/Ovn.exe&mode=redirect-offlist");
    StartFromShortcut();
    ExpectRunningCopyUntouched();
    EXPECT_EQ(CountRequests("GET /update/pkg/Ovn.exe"), 1);
    EXPECT_EQ(CountRequests("OFFLIST"), 0) << "the off-list host was asked";
}

TEST_F(UpdateE2e, CancelDuringASlowDownloadLeavesAWorkingLauncher) {
    PublishUpdate(L"good", L"slow");
    HttpGet(L"/__misbehave?path=/update/pkg/Ovn.exe&mode=slow&chunk=4096");
    StartFromShortcut();
    HWND progress = WaitForWindow({.pid = copy.Id(), .title = kProgressTitle, .visibleOnly = true}, 30s);
    ASSERT_NE(progress, nullptr) << "no progress dialog";
    ASSERT_TRUE(WaitFor([] { return CountRequests("GET /update/pkg/Ovn.exe") == 1; }, 20s));
    PostMessageW(progress, WM_COMMAND, IDCANCEL, 0);
    ExpectRunningCopyUntouched();
}

// The installed copy signed by publisher A (tests/signing/make_signed.sh).
class SignedUpdateE2e : public UpdateE2e {
protected:
    void SetUp() override {
        UpdateE2e::SetUp();
        ASSERT_TRUE(root.Trusted()) << "no test root in OVN_SIGNED";
        ASSERT_TRUE(CopyOver(signing::File(L"ovn-a.exe"), InstalledExe()));
        original = FileBytes(InstalledExe());
    }
    // Publishes the signed folder's file as the package (its digest the key,
    // or another's with mode mismatch).
    void PublishPackage(const wchar_t* file, const wchar_t* mode = L"good") {
        HttpGet(std::wstring(L"/__update?mode=") + mode + L"&exe=" + LinuxPath(signing::File(L"ovn-a.exe")) +
                L"&pkg=" + LinuxPath(signing::File(file)));
    }
    signing::TrustedTestRoot root;
};

TEST_F(SignedUpdateE2e, APackageOfTheSamePublisherIsSwappedIn) {
    PublishPackage(L"pkg-a.exe");
    StartFromShortcut();
    EXPECT_EQ(copy.Wait(60s), 0u);
    EXPECT_EQ(FileBytes(InstalledExe()), FileBytes(signing::File(L"pkg-a.exe")));
    DWORD fresh = ChildCopy(copy.Id());
    ASSERT_NE(fresh, 0u) << "the new copy was not started";
    EXPECT_NE(LauncherWindow(fresh), nullptr);
}

TEST_F(SignedUpdateE2e, PackagesNotSignedByThePublisherLeaveTheRunningCopy) {
    struct Case {
        const wchar_t* file;
        const wchar_t* mode;
    };
    const Case cases[] = {
        {L"pkg-b.exe", L"good"},         // another publisher under the same root
        {L"pkg-imposter.exe", L"good"},  // the publisher's name, another key
        {L"pkg-altered.exe", L"good"},   // changed after signing
        {L"pkg-unsigned.exe", L"good"},
        {L"pkg-a.exe", L"mismatch"},     // well signed, but not the published package
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)) + " " + std::string(c.mode, c.mode + wcslen(c.mode)));
        PublishPackage(c.file, c.mode);
        PortalRequests(true);
        StartFromShortcut();
        ExpectRunningCopyUntouched();
        EXPECT_EQ(CountRequests("GET /update/pkg/Ovn.exe"), 1);
        EndAllCopies();
    }
}

}  // namespace
