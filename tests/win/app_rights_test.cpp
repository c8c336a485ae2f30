// The installation folder's rights as the system builds them from the descriptor
// texts the installer applies: a protected DACL that lets Users read and run but
// not create, delete or change rights, inherited by what is made inside; the
// settings file the players may write. (This Wine applies a descriptor only as
// Unix mode bits and does not keep it, so it cannot be read back from the
// folder.) Applying them, and the test of whether this process may write a folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>

#include <string>
#include <vector>

#include <sddl.h>

#include "app/rights.h"
#include "app/rights_rules.h"
#include "process/process.h"

namespace {

std::wstring Scratch(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}

struct Ace {
    WELL_KNOWN_SID_TYPE who;
    ACCESS_MASK mask;
    BYTE flags;
};

struct Rights {
    bool read = false;
    bool isProtected = false;
    bool ownerIsAdministrators = false;
    std::vector<Ace> aces;
    int strangers = 0;  // allow entries for anyone but SYSTEM, Administrators and Users
};

// The descriptor the system makes of an SDDL text, as SetNamedSecurityInfo gets it.
Rights ReadRights(const wchar_t* sddl) {
    Rights r;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr))
        return r;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
    GetSecurityDescriptorOwner(sd, &owner, &defaulted);
    r.read = true;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(sd, &control, &revision);
    r.isProtected = (control & SE_DACL_PROTECTED) != 0;
    r.ownerIsAdministrators = owner && IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header)) || header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        PSID sid = &allowed->SidStart;
        bool known = false;
        for (WELL_KNOWN_SID_TYPE who : {WinLocalSystemSid, WinBuiltinAdministratorsSid, WinBuiltinUsersSid})
            if (IsWellKnownSid(sid, who)) {
                r.aces.push_back({who, allowed->Mask, header->AceFlags});
                known = true;
            }
        r.strangers += known ? 0 : 1;
    }
    LocalFree(sd);
    return r;
}

ACCESS_MASK MaskOf(const Rights& r, WELL_KNOWN_SID_TYPE who, BYTE* flags = nullptr) {
    ACCESS_MASK mask = 0;
    for (const Ace& a : r.aces)
        if (a.who == who) {
            mask |= a.mask;
            if (flags)
                *flags = a.flags;
        }
    return mask;
}

// What lets somebody plant or swap a file, or take the rights over.
constexpr ACCESS_MASK kPlanting = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                  WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

TEST(InstallRights, TheFolderLetsUsersReadAndRunOnly) {
    const Rights r = ReadRights(ovn::kInstallFolderSddl);
    ASSERT_TRUE(r.read);
    EXPECT_TRUE(r.isProtected) << "the parent's \"Users may create\" would still apply";
    EXPECT_TRUE(r.ownerIsAdministrators) << "a user who made the folder first could change its rights back";
    EXPECT_EQ(r.strangers, 0);
    BYTE usersFlags = 0, adminFlags = 0, systemFlags = 0;
    const ACCESS_MASK users = MaskOf(r, WinBuiltinUsersSid, &usersFlags);
    EXPECT_EQ(users & (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE), FILE_GENERIC_READ | FILE_GENERIC_EXECUTE);
    EXPECT_EQ(users & kPlanting, 0u) << std::hex << users;
    EXPECT_EQ(MaskOf(r, WinBuiltinAdministratorsSid, &adminFlags), static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
    EXPECT_EQ(MaskOf(r, WinLocalSystemSid, &systemFlags), static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
    // What is copied in later (the program, its update) gets the same.
    for (BYTE flags : {usersFlags, adminFlags, systemFlags})
        EXPECT_EQ(flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE),
                  OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
}

TEST(InstallRights, PlayersWriteTheSettingsFileButCannotDeleteOrRepermissionIt) {
    const Rights ini = ReadRights(ovn::kSettingsFileSddl);
    ASSERT_TRUE(ini.read);
    EXPECT_TRUE(ini.isProtected);
    EXPECT_EQ(ini.strangers, 0);
    const ACCESS_MASK player = MaskOf(ini, WinBuiltinUsersSid);
    EXPECT_EQ(player & (FILE_GENERIC_READ | FILE_GENERIC_WRITE), FILE_GENERIC_READ | FILE_GENERIC_WRITE);
    EXPECT_EQ(player & (DELETE | WRITE_DAC | WRITE_OWNER | FILE_EXECUTE), 0u) << std::hex << player;
    EXPECT_EQ(MaskOf(ini, WinBuiltinAdministratorsSid), static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
}

TEST(InstallRights, ProtectingTheFolderKeepsAndMakesTheSettingsFile) {
    const std::wstring parent = Scratch(L"ovn_rights"), folder = parent + L"\\GameLogin";
    const std::wstring ini = folder + L"\\Statistic.ini";
    CreateDirectoryW(parent.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    DeleteFileW(ini.c_str());
    ASSERT_TRUE(ovn::ProtectInstallFolder(folder));
    EXPECT_NE(GetFileAttributesW(ini.c_str()), INVALID_FILE_ATTRIBUTES) << "Statistic.ini was not made";
    // An existing settings file keeps what it holds.
    WritePrivateProfileStringW(L"Ovn", L"Game", L"7", ini.c_str());
    ASSERT_TRUE(ovn::ProtectInstallFolder(folder));
    wchar_t kept[8] = {};
    GetPrivateProfileStringW(L"Ovn", L"Game", L"", kept, 8, ini.c_str());
    EXPECT_STREQ(kept, L"7");
    // A folder that is not there is refused, not made.
    EXPECT_FALSE(ovn::ProtectInstallFolder(parent + L"\\missing"));
    EXPECT_EQ(GetFileAttributesW((parent + L"\\missing").c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(ini.c_str());
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(parent.c_str());
}

TEST(InstallRights, AFolderIsWritableWhenAFileCanBeMadeThereAFileWhenItCanBeRenamed) {
    const std::wstring folder = Scratch(L"ovn_rights_probe");
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(ovn::CanWriteFolder(folder));
    EXPECT_TRUE(ovn::CanWriteFolder(folder + L"\\"));
    // The probe leaves nothing behind.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*.tmp").c_str(), &data);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    // A file (the running program among them) may be renamed by its owner.
    const std::wstring file = folder + L"\\x.exe";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(ovn::CanReplaceFile(file));
    EXPECT_TRUE(ovn::CanReplaceFile(ovn::ExecutablePath()));
    // Not while another program holds it without letting it be deleted.
    HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(ovn::CanReplaceFile(file));
    CloseHandle(held);
    DeleteFileW(file.c_str());
    EXPECT_FALSE(ovn::CanReplaceFile(file));
    RemoveDirectoryW(folder.c_str());
    EXPECT_FALSE(ovn::CanWriteFolder(folder));
    EXPECT_FALSE(ovn::CanWriteFolder(L""));
}

}  // namespace
