// What the shared installation folder and its settings file allow, and how an
// update reaches a folder this process may not write. Platform-free.
//
// The common application-data folder lets every local user create files and
// folders in it (and own what they create). GameLoginFolder, made there by the
// elevated installer, must not: the game hall starts <tag>.exe from it, and a
// DLL beside an executable is loaded before the system's. So the folder gets a
// protected DACL of its own, inherited by everything made inside it: read and
// execute for Users, full control for Administrators and SYSTEM, and the
// Administrators as owner (a user who made the folder first would otherwise
// keep an owner's right to change its DACL back). Nothing of the parent's is
// inherited, which is the point: its "Users may create" entry is the hole.
//
// Statistic.ini is the one file there that players write (hotkeys, notice
// state, counters). It keeps its place, where every launcher of the portal's
// games looks for it, and gets an explicit DACL that lets Users read and write
// its contents but not delete, rename or re-permission it.
#pragma once

namespace ovn {

// Security descriptors in the system's descriptor language.
// 0x1200a9: FILE_GENERIC_READ | FILE_GENERIC_EXECUTE.
inline constexpr wchar_t kInstallFolderSddl[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
// 0x12019f: FILE_GENERIC_READ | FILE_GENERIC_WRITE (no DELETE, WRITE_DAC or WRITE_OWNER).
inline constexpr wchar_t kSettingsFileSddl[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x12019f;;;BU)";

// How an update found at start is installed.
enum class UpdateRoute {
    InPlace,       // this process may replace the program: download and swap here
    Elevated,      // ask once for an administrator's rights; that copy downloads and swaps
    NotAttempted,  // nobody here can replace it: no download at all, the program starts
};

// folderWritable: a file can be made in the program's folder and the program
// itself renamed (an installation made before the folder had its own rights lets
// players add files but not touch the installer's program). canElevate: the
// process runs with a filtered administrator's token and is not itself the
// elevated copy (which must never ask again).
UpdateRoute ChooseUpdateRoute(bool folderWritable, bool canElevate);

}  // namespace ovn
