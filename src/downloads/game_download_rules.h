// Another game's launcher, downloaded from the game hall: where its download
// configuration is, where the installer goes, and whether what arrived may be
// started. Platform-free.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace ovn::downloads {

// A game's short tag ("Ovn", "Abc") becomes file names: ASCII letters and
// digits only, 1 to 64 of them. Anything else never downloads.
bool IsGameTag(std::wstring_view tag);

// The configuration's path on the service host: "/update/Config" + tag + ".htm".
std::wstring GameConfigPath(std::wstring_view tag);

// A file name of folder (which ends with a backslash): tag + extension.
std::wstring GameFile(std::wstring_view folder, std::wstring_view tag, std::wstring_view extension);

// An installer may be started when it is a whole program (program_image.h)
// of one of the machines the game's players run.
bool IsInstallerMachine(std::uint16_t machine);

// The dialog's title once the worker is done.
const wchar_t* GameDownloadTitle(bool done);

}  // namespace ovn::downloads
