// Another game's launcher, downloaded from the game hall: where its download
// configuration is, where the installer goes, and whether what arrived may be
// started. Platform-free.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ovn::net {

// A game's short tag ("Ovn", "Abc") becomes file names: ASCII letters and
// digits only, 1 to 64 of them. Anything else never downloads.
bool IsGameTag(std::wstring_view tag);

// The configuration's path on the service host: "/update/Config" + tag + ".htm".
std::wstring GameConfigPath(std::wstring_view tag);

// A file name of folder (which ends with a backslash): tag + extension.
std::wstring GameFile(std::wstring_view folder, std::wstring_view tag, std::wstring_view extension);

// The first bytes of a file are those of a Windows program this machine runs:
// an "MZ" header whose PE header lies inside bytes and names an x86 or x64
// image that is an executable, not a library.
bool IsRunnableImage(std::span<const std::uint8_t> head);

// The dialog's title once the worker is done.
const wchar_t* GameDownloadTitle(bool done);

}  // namespace ovn::net
