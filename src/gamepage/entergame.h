// The game hall's "app://entergame|<tag>|<download URL>" command: the hall page
// asks the program to start another game's launcher, or to offer its download.
// Platform-free.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace ovn::gamepage {

// The marker the hall's links navigate to; such a navigation is always cancelled.
constexpr std::wstring_view kEnterGameMarker = L"app://entergame|";

// True when the URL carries the command (anywhere in it, as the hall expects).
bool IsEnterGameUrl(std::wstring_view url);

struct EnterGameCommand {
    std::wstring gameTag;      // letters and digits only, first letter upper case ("Ovn")
    std::wstring downloadUrl;  // the page's download URL, or the given default
    bool downloadUrlOpenable = false;  // an http(s) URL that may go to the shell
};

// Reads the text after the marker: the game's tag, then optionally '|' and the
// download URL (without it the default is used; '|' and nothing gives an empty
// URL). '/' characters in the tag are dropped (the browser may append one).
// Nothing when the URL has no marker or the tag is empty, longer than 64
// characters, or holds anything but ASCII letters and digits: the tag becomes a
// file name, so nothing else may reach the file system.
std::optional<EnterGameCommand> ParseEnterGame(std::wstring_view url, std::wstring_view defaultDownloadUrl);

// Where another game's launcher is installed: "<folder>\<Tag>.exe".
std::wstring GameLauncherPath(std::wstring_view gameLoginFolder, std::wstring_view gameTag);

}  // namespace ovn::gamepage
