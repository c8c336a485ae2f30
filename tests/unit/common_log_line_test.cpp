#include "common/log_line.h"

#include <gtest/gtest.h>

#include <string>

using ovn::log::FailureLine;
using ovn::log::FormatFailureLine;
using ovn::log::kMaxLine;

namespace {

std::wstring Format(const FailureLine& line, std::size_t capacity = kMaxLine) {
    std::wstring out(capacity, L'#');
    std::size_t n = FormatFailureLine(line, out.data(), capacity);
    EXPECT_EQ(out[n], L'\0');
    return out.substr(0, n);
}

FailureLine Line(std::wstring_view text, unsigned long error = 0, std::wstring_view message = {}) {
    FailureLine line;
    line.time = {9, 5, 3, 7};
    line.processId = 4242;
    line.role = L"launcher";
    line.text = text;
    line.error = error;
    line.errorMessage = message;
    return line;
}

}  // namespace

TEST(FailureLine, CarriesTimeProcessRoleTextAndError) {
    EXPECT_EQ(Format(Line(L"cannot start C:\\Games\\none.exe", 2, L"File not found.\r\n")),
              L"09:05:03.007 [4242 launcher] cannot start C:\\Games\\none.exe: error 2: File not found.\r\n");

    // No role, no error code, no system text: each is left out, not shown empty.
    FailureLine bare = Line(L"GET http://127.0.0.1/x: HTTP 404");
    bare.role = {};
    EXPECT_EQ(Format(bare), L"09:05:03.007 [4242] GET http://127.0.0.1/x: HTTP 404\r\n");
    EXPECT_EQ(Format(Line(L"dump", 1450)), L"09:05:03.007 [4242 launcher] dump: error 1450\r\n");

    // An HRESULT reads as one, in hex.
    EXPECT_EQ(Format(Line(L"web control", 0x80040154ul, L"Class not registered")),
              L"09:05:03.007 [4242 launcher] web control: error 0x80040154: Class not registered\r\n");
}

TEST(FailureLine, IsAlwaysOneLine) {
    // Texts from pages or the system cannot start a line of their own.
    EXPECT_EQ(Format(Line(L"GET /a\r\n09:00:00.000 [1] forged\tline", 5, L"Access\r\n\r\nis denied.\r\n")),
              L"09:05:03.007 [4242 launcher] GET /a 09:00:00.000 [1] forged line: error 5: Access is denied.\r\n");
    EXPECT_EQ(Format(Line(std::wstring(L"a\x2028" L"b\x85" L"c"))), L"09:05:03.007 [4242 launcher] a b c\r\n");
}

TEST(FailureLine, CutsWhatDoesNotFitAndStillEndsTheLine) {
    std::wstring longText(5000, L'x');
    std::wstring line = Format(Line(longText, 2, L"File not found."));
    EXPECT_EQ(line.size(), kMaxLine - 1);
    EXPECT_EQ(line.substr(line.size() - 6), L"x...\r\n");
    EXPECT_EQ(line.find(L"\r\n"), line.size() - 2);

    // A line that fills its buffer to the last character is whole; one character
    // more and it is cut to room for the mark, still ending the line.
    const std::wstring prefix = L"09:05:03.007 [4242 launcher] ";
    const std::wstring text = L"abcdefgh";
    const std::size_t exact = prefix.size() + text.size() + 3;  // line end and NUL
    EXPECT_EQ(Format(Line(text), exact), prefix + text + L"\r\n");
    EXPECT_EQ(Format(Line(text + L"i"), exact), prefix + L"abcde...\r\n");
    EXPECT_EQ(Format(Line(text, 2), exact), prefix + L"abcde...\r\n");

    // A pair of surrogates is kept whole or left out, never halved.
    const std::size_t capacity = prefix.size() + 3 + 6;  // room for three characters of text
    std::wstring pairs;
    for (int i = 0; i < 4; ++i)
        pairs += std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)};
    const std::wstring kept = prefix + std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)} + L"...\r\n";
    EXPECT_EQ(Format(Line(pairs), capacity), kept);

    // A buffer too small for any line holds an empty string.
    wchar_t tiny[7] = {L'#', L'#'};
    EXPECT_EQ(FormatFailureLine(Line(L"x"), tiny, 7), 0u);
    EXPECT_EQ(tiny[0], L'\0');
}
