#include "launcher/child_command.h"

#include <gtest/gtest.h>

#include "process/command_line.h"

using namespace ovn::launcher;
using Args = std::vector<std::wstring>;

TEST(LauncherChildArguments, PageAndHall) {
    EXPECT_EQ(GamePageArguments(1234, 0, 0x1F), (Args{L"/newgm", L"/1234", L"/0", L"/000000000000001f"}));
    EXPECT_EQ(GamePageArguments(-5, 2, 1), (Args{L"/newgm", L"/-5", L"/2", L"/0000000000000001"}));
    EXPECT_EQ(GamePageArguments(INT32_MIN, 3, UINT64_MAX),
              (Args{L"/newgm", L"/-2147483648", L"/3", L"/ffffffffffffffff"}));
    EXPECT_EQ(GameHallArguments(65552), (Args{L"/gmhall", L"/65552"}));

    // The longest path (259 characters) with the longest page arguments fits the
    // child's command-line buffer.
    std::wstring longest = L"C:\\" + std::wstring(252, L'x') + L".exe";
    ASSERT_EQ(longest.size(), 259u);
    auto line = ovn::BuildChildCommandLine(longest, GamePageArguments(INT32_MIN, 3, UINT64_MAX));
    ASSERT_TRUE(line);
    EXPECT_LT(line->size(), ovn::kChildCommandLineMax);
}
