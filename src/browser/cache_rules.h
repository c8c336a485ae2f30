// The rules of cache clearing: which URL cache entries stay, what a folder
// entry is to the recursive delete (links are never followed), how the paths
// it acts on are formed (whole, never cut), and the one clearing at a time with
// its message once the work is done. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovn::browser {

// The URL cache entry type bit of cookies (COOKIE_CACHE_ENTRY).
inline constexpr std::uint32_t kCookieCacheEntry = 0x00100000;
// Cookies, and with them the player's logins, survive a clearing.
bool KeepCacheEntry(std::uint32_t entryType);

// File attributes as the system reports them.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;

// What an entry of a folder listing is to the recursive delete. A reparse
// point (a junction, a symbolic link, a mount point) is a link: the link itself
// is removed, and what it points to is never entered.
enum class TreeEntry { Skip, File, Folder, FolderLink, FileLink };
TreeEntry ClassifyTreeEntry(std::wstring_view name, std::uint32_t attributes);

// The longest path the system's file calls take (in the \\?\ form).
inline constexpr std::size_t kMaxPathChars = 32767;
// Paths up to this length work in the plain form.
inline constexpr std::size_t kPlainPathChars = 259;

// folder + '\' + name, whole; none when it would not fit the system's limit (the
// entry is then skipped, never acted on under a shorter name).
std::optional<std::wstring> ChildPath(std::wstring_view folder, std::wstring_view name);

// The form a file call is given: the path itself when it is short, the \\?\ form
// of a long absolute path ("\\?\C:\..." or "\\?\UNC\server\share\..."); none for
// a long path that is not absolute (it cannot be named whole).
std::optional<std::wstring> FileCallPath(std::wstring_view path);

// One clearing at a time, and its message only once it has finished: while the
// launcher is hidden, the message waits until it is shown again.
class ClearingTurns {
public:
    // A request: true when a worker is to start now, false while one runs.
    bool Request();
    // The worker finished: true when the message is to be shown now.
    bool Finished(bool launcherVisible);
    // The worker could not start: nothing runs, nothing is to be said.
    void Abandon() { m_running = false; }
    // The launcher is shown again: true when a message waited for that (once).
    bool Shown();
    bool MessageWaiting() const { return m_messageWaiting; }
    bool Running() const { return m_running; }

private:
    bool m_running = false;
    bool m_messageWaiting = false;
};

}  // namespace ovn::browser
