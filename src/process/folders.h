// Where the program's files go. Platform-free.
//
// The installation folder (GameLoginFolder) is the installer's: players may read
// and run what is there, and write only Statistic.ini, which every launcher of
// the portal's games shares in that place. What the program makes while it runs
// (the update configuration it reads, the notice's picture, a game's download
// configuration, crash dumps) goes to the player's own folder instead, which a
// standard or UAC-filtered player can always write.
#pragma once
#include <string>
#include <string_view>

namespace ovn {

// The player's folder under the local application-data folder
// (%LOCALAPPDATA%), with a trailing backslash; empty for an empty base.
std::wstring PlayerFolderUnder(std::wstring_view localAppData);

// The two folders to make below the local application-data folder, in order.
inline constexpr const wchar_t* kPlayerSubfolders[] = {L"Quenra", L"GameLogin"};

}  // namespace ovn
