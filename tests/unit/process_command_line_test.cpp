#include "process/command_line.h"

#include <gtest/gtest.h>

using namespace ovn;
using Args = std::vector<std::wstring>;

TEST(ChildCommand, ExactLines) {
    EXPECT_EQ(BuildChildCommandLine(L"C:\\Program Files\\Ovn.exe", {L"/newgm", L"/1234", L"/1"}),
              L"\"C:\\Program Files\\Ovn.exe\" /newgm /1234 /1");
    EXPECT_EQ(BuildChildCommandLine(L"C:\\Ovn.exe", {L"/update"}), L"\"C:\\Ovn.exe\" /update");
    EXPECT_EQ(BuildChildCommandLine(L"C:\\Ovn.exe", {}), L"\"C:\\Ovn.exe\"");
}

TEST(ChildCommand, RefusesWhatCannotBeWrittenFaithfully) {
    EXPECT_FALSE(BuildChildCommandLine(L"", {L"/update"}));
    EXPECT_FALSE(BuildChildCommandLine(L"C:\\a\"b.exe", {L"/update"}));
    EXPECT_FALSE(BuildChildCommandLine(std::wstring(L"C:\\a\0b.exe", 11), {L"/update"}));
    EXPECT_FALSE(BuildChildCommandLine(L"C:\\Ovn.exe", {std::wstring(L"a\0b", 3)}));
    // One character more than the buffer holds is refused, not cut.
    std::wstring tooLong(kChildCommandLineMax - 2, L'y');  // quotes make it the whole buffer + terminator
    EXPECT_FALSE(BuildChildCommandLine(tooLong, {}));
    EXPECT_TRUE(BuildChildCommandLine(tooLong.substr(1), {}));
}

TEST(SplitCommandLine, WindowsRules) {
    EXPECT_EQ(SplitCommandLine(L""), Args{});
    EXPECT_EQ(SplitCommandLine(L"Ovn.exe"), Args{L"Ovn.exe"});
    EXPECT_EQ(SplitCommandLine(L"\"C:\\A B\\Ovn.exe\" /x  /y "), (Args{L"C:\\A B\\Ovn.exe", L"/x", L"/y"}));
    // The program token has no escapes and ends at its closing quote.
    EXPECT_EQ(SplitCommandLine(L"\"C:\\dir\\\" a"), (Args{L"C:\\dir\\", L"a"}));
    EXPECT_EQ(SplitCommandLine(L"C:\\a\"b c"), (Args{L"C:\\a\"b", L"c"}));
    EXPECT_EQ(SplitCommandLine(L"p\ta\t\"b c\""), (Args{L"p", L"a", L"b c"}));
    // Backslashes count only in front of a quote.
    EXPECT_EQ(SplitCommandLine(L"p a\\\\b \\\"c \\\\\"d e\""), (Args{L"p", L"a\\\\b", L"\"c", L"\\d e"}));
    EXPECT_EQ(SplitCommandLine(L"p \"a\\\\\\\"b\""), (Args{L"p", L"a\\\"b"}));
    // Empty quoted arguments survive; quotes in the middle join pieces.
    EXPECT_EQ(SplitCommandLine(L"p \"\" x"), (Args{L"p", L"", L"x"}));
    EXPECT_EQ(SplitCommandLine(L"p a\"b c\"d"), (Args{L"p", L"ab cd"}));
    // Runs of quotes: every third is literal.
    EXPECT_EQ(SplitCommandLine(L"p \"\"\"a b\"\"\" c"), (Args{L"p", L"\"a", L"b\"", L"c"}));
    EXPECT_EQ(SplitCommandLine(L"p \"a\"\"b\" c"), (Args{L"p", L"a\"b c"}));
}

TEST(ChildCommand, RoundTripsThroughTheSplitter) {
    const Args tricky[] = {
        {L"/newgm", L"/1234", L"/2"},
        {L"/gmhall", L"/-1"},
        {L"a b", L"", L"tab\there", L"q\"uote", L"end\\", L"sp ace\\", L"\\\\server\\share dir\\", L"x\\\"y"},
        {L"\"", L"\"\"", L"\\\"", L"\\\\\"\\\\", L" "},
    };
    const std::wstring programs[] = {L"C:\\Ovn.exe", L"C:\\Program Files (x86)\\Quenra Games\\Ovn.exe",
                                     L"C:\\a\\b\\", L"\\\\host\\share\\x y\\Ovn.exe"};
    for (const auto& program : programs) {
        for (const auto& args : tricky) {
            auto line = BuildChildCommandLine(program, args);
            ASSERT_TRUE(line);
            Args expected{program};
            expected.insert(expected.end(), args.begin(), args.end());
            EXPECT_EQ(SplitCommandLine(*line), expected);
        }
    }
}
