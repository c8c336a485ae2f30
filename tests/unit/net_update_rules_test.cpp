#include "net/update_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ovn::net;

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

namespace {

// The head of a program file: "MZ", the PE header's offset at 0x3C, then the
// signature, the file header and the optional header's magic.
std::vector<std::uint8_t> ProgramHead(std::uint16_t machine, std::uint16_t characteristics = 0x0022,
                                      std::uint16_t magic = 0x20B, std::uint32_t at = 0x80) {
    std::vector<std::uint8_t> head(at + 24 + 240, 0);
    head[0] = 'M';
    head[1] = 'Z';
    auto put16 = [&](std::size_t i, std::uint32_t v) {
        head[i] = static_cast<std::uint8_t>(v);
        head[i + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put16(0x3C, at);
    put16(0x3E, at >> 16);
    head[at] = 'P';
    head[at + 1] = 'E';
    put16(at + 4, machine);
    put16(at + 6, 5);      // sections
    put16(at + 20, 240);   // optional header size
    put16(at + 22, characteristics);
    put16(at + 24, magic);
    return head;
}

}  // namespace

TEST(ExecutableMachine, OnlyAProgramFileNamesItsMachine) {
    EXPECT_EQ(ExecutableMachine(ProgramHead(0x8664)), 0x8664);
    EXPECT_EQ(ExecutableMachine(ProgramHead(0x014C, 0x0102, 0x10B)), 0x014C);
    // An empty package, a text, a cut header.
    EXPECT_FALSE(ExecutableMachine({}));
    const std::string text = "<html><body>not found</body></html>";
    EXPECT_FALSE(ExecutableMachine(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
    auto head = ProgramHead(0x8664);
    EXPECT_FALSE(ExecutableMachine(std::span(head).first(0x80 + 20)));
    // The header's offset pointing outside what was read, or back into the DOS header.
    head = ProgramHead(0x8664);
    head[0x3C] = 0xF0;
    head[0x3D] = 0xFF;
    EXPECT_FALSE(ExecutableMachine(head));
    EXPECT_FALSE(ExecutableMachine(ProgramHead(0x8664, 0x0022, 0x20B, 0x30)));
    head = ProgramHead(0x8664);
    head[0x3F] = 0x80;  // an offset past 2 GB
    EXPECT_FALSE(ExecutableMachine(head));
    // No signature, no sections, no known optional header.
    head = ProgramHead(0x8664);
    head[0x81] = 'X';
    EXPECT_FALSE(ExecutableMachine(head));
    head = ProgramHead(0x8664);
    head[0x86] = 0;
    EXPECT_FALSE(ExecutableMachine(head));
    EXPECT_FALSE(ExecutableMachine(ProgramHead(0x8664, 0x0022, 0x107)));
    // A DLL, or an image not marked executable, is no program.
    EXPECT_FALSE(ExecutableMachine(ProgramHead(0x8664, 0x2022)));
    EXPECT_FALSE(ExecutableMachine(ProgramHead(0x8664, 0x0020)));
}
