#include "downloads/update_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ovn::downloads;

namespace {
// Wednesday 2026-12-09.
constexpr UtcDay kWednesday{2026, 12, 3, 9};
}  // namespace

TEST(IsUpdateDue, SameDayAndSkippedWeekdays) {
    EXPECT_TRUE(IsUpdateDue(kWednesday, UtcDay{}, 0));
    EXPECT_FALSE(IsUpdateDue(kWednesday, UtcDay{2026, 12, 3, 9}, 0));
    // The stamp's weekday does not count, only year, month and day.
    EXPECT_FALSE(IsUpdateDue(kWednesday, UtcDay{2026, 12, 0, 9}, 0));
    EXPECT_TRUE(IsUpdateDue(kWednesday, UtcDay{2026, 11, 3, 9}, 0));
    EXPECT_TRUE(IsUpdateDue(kWednesday, UtcDay{2025, 12, 3, 9}, 0));
    // Each of the three low bytes skips its day; the highest byte does not.
    EXPECT_FALSE(IsUpdateDue(kWednesday, UtcDay{}, 0x00050403));
    EXPECT_FALSE(IsUpdateDue(kWednesday, UtcDay{}, 0x00050301));
    EXPECT_FALSE(IsUpdateDue(kWednesday, UtcDay{}, 0x00030501));
    EXPECT_TRUE(IsUpdateDue(kWednesday, UtcDay{}, 0x03010502));
    EXPECT_TRUE(IsUpdateDue(kWednesday, UtcDay{}, 0x00060201));
    // 3 is bytes 3, 0, 0: Wednesday and Sunday, but only a non-zero value skips.
    EXPECT_FALSE(IsUpdateDue(kWednesday, UtcDay{}, 3));
    EXPECT_FALSE(IsUpdateDue(UtcDay{2026, 12, 0, 13}, UtcDay{}, 3));
    EXPECT_TRUE(IsUpdateDue(UtcDay{2026, 12, 0, 13}, UtcDay{}, 0));
}

TEST(VersionKey, TwentyEightDigitsAndTheVersion) {
    std::array<std::uint8_t, 16> digest{};
    for (int i = 0; i < 16; ++i)
        digest[i] = static_cast<std::uint8_t>(i * 17);  // 00 11 22 ... ff
    const std::wstring hex = HexDigest(digest);
    EXPECT_EQ(hex, L"00112233445566778899aabbccddeeff");
    EXPECT_EQ(VersionKeyFromDigest(hex), L"00112233445566778899aabbccdd3001");
    EXPECT_FALSE(VersionKeysDiffer(L"00112233445566778899AABBCCDD3001", L"00112233445566778899aabbccdd3001"));
    EXPECT_TRUE(VersionKeysDiffer(L"00112233445566778899aabbccdd3002", L"00112233445566778899aabbccdd3001"));
    EXPECT_TRUE(VersionKeysDiffer(L"", L"00112233445566778899aabbccdd3001"));
}

TEST(VersionKey, PackageMustBeThePublishedRelease) {
    const std::wstring digest = L"00112233445566778899aabbccddeeff";
    EXPECT_TRUE(PackageMatchesKey(digest, L"00112233445566778899AABBCCDD3001"));
    // The new release carries its own version digits.
    EXPECT_TRUE(PackageMatchesKey(digest, L"00112233445566778899aabbccdd3002"));
    EXPECT_FALSE(PackageMatchesKey(digest, L"10112233445566778899aabbccdd3001"));
    // The last of the 28 digits counts as much as the first, and must be one.
    EXPECT_FALSE(PackageMatchesKey(digest, L"00112233445566778899aabbccdc3001"));
    EXPECT_FALSE(PackageMatchesKey(L"00112233445566778899aabbccdgeeff", L"00112233445566778899aabbccdg3001"));
    EXPECT_FALSE(PackageMatchesKey(digest, L"00112233445566778899aabbccd"));
    EXPECT_FALSE(PackageMatchesKey(digest, L""));
    EXPECT_FALSE(PackageMatchesKey(L"", L"00112233445566778899aabbccdd3001"));
}
