// What the add-favourite dialog writes: the Internet Shortcut's text for a page
// and the file name a favourite's name becomes. Platform-free.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ovn {

// The most of the typed name a favourite keeps (the edit box takes no more).
constexpr std::size_t kFavouriteNameChars = 127;
// The longest full path the file functions take without the long-path prefix.
constexpr std::size_t kFavouriteMaxPath = 260;

// The shortcut's text for a page address: the address whole, however long.
std::wstring InternetShortcutText(std::wstring_view url);

// Turns wide text into the system's ANSI code page exactly; nothing when some
// character has no exact spelling there.
using AnsiConverter = std::function<std::optional<std::string>(std::wstring_view)>;

// The address as the shortcut keeps it: the same URL, with each character the
// ANSI code page cannot hold exactly percent-encoded as UTF-8 ("游" becomes
// "%E6%B8%B8"), and so is every control character (a line break would start a
// line of the file's own). A lone surrogate stands for U+FFFD.
std::wstring ShortcutAddress(std::wstring_view url, const AnsiConverter& toAnsi);

// The file's bytes: the shortcut's text for ShortcutAddress(url) in the ANSI
// code page, without a terminating zero. Nothing when the text still cannot be
// converted (then no file).
std::optional<std::string> InternetShortcutBytes(std::wstring_view url, const AnsiConverter& toAnsi);

// The file name (with ".url") a typed name becomes. The name is a file name
// inside the Favorites folder and never a path: characters file names may not
// hold become '_', and a name the system would take for a device gets a leading
// '_'. Every other name, Chinese included, is kept as typed (an empty one gives
// ".url").
std::wstring FavouriteFileName(std::wstring_view name);

// The full path of the favourite in folder; nothing when the path would be too
// long for the file functions (then no file rather than a cut name).
std::optional<std::wstring> FavouritePath(std::wstring_view folder, std::wstring_view name);

}  // namespace ovn
