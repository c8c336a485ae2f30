// The self-update's rules that need no system: when the automatic check may run,
// the version key a copy computes from its own file, and whether a downloaded
// package is the one the portal published (whether it is a program is
// program_image.h's).
// Platform-free.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ovn::downloads {

// The fields of a SYSTEMTIME the rules look at (UTC).
struct UtcDay {
    unsigned year = 0, month = 0, dayOfWeek = 0, day = 0;
};

// The automatic check runs unless an update was installed today (same year,
// month and day as lastUpdate) or today's weekday is one of the three low bytes
// of a non-zero disableDays.
bool IsUpdateDue(const UtcDay& today, const UtcDay& lastUpdate, std::uint32_t disableDays);

// The digest as 32 lower-case hexadecimal digits, first byte first.
std::wstring HexDigest(const std::array<std::uint8_t, 16>& digest);

// The key a copy of this version computes for itself: the first 28 digits of
// its file's digest and the version without dots ("3001").
std::wstring VersionKeyFromDigest(std::wstring_view hexDigest);

// Whether the published key names a release different from ours (letter case
// does not count).
bool VersionKeysDiffer(std::wstring_view published, std::wstring_view local);

// Whether a downloaded package is the published release: its digest's first 28
// digits equal the published key's (letter case aside). The new copy computes
// its key from the same digits, so a package that passes will not be offered
// again at its next start.
bool PackageMatchesKey(std::wstring_view packageHexDigest, std::wstring_view publishedKey);

}  // namespace ovn::downloads
