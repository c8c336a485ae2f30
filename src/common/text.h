// Small text helpers shared by the subsystems' rules. Platform-free.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace ovn {

// Reads a signed decimal the way the C runtime's wtoi does: leading blanks, an
// optional sign, then digits up to the first non-digit; no digits give 0.
// Values beyond the 64-bit range saturate instead of overflowing.
long long ReadLeadingInt(std::wstring_view text);

// A number written with decimal digits only, 1 to maxDigits (at most 18) of
// them: no blank, sign or anything else.
std::optional<long long> ReadDigits(std::wstring_view digits, std::size_t maxDigits);

// Case-insensitive comparison for the ASCII letters of switches and folder names.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
std::wstring ToUpperAscii(std::wstring_view text);
std::wstring ToLowerAscii(std::wstring_view text);
std::string ToLowerAscii(std::string_view text);
wchar_t LowerAscii(wchar_t c);

// ASCII white space as pages and HTTP headers know it: space, tab, line feed,
// carriage return and form feed.
bool IsAsciiSpace(wchar_t c);
std::wstring_view TrimAsciiSpace(std::wstring_view text);

// The text without the leading and trailing characters `blank` holds for blanks.
std::wstring_view TrimWhere(std::wstring_view text, bool (*blank)(wchar_t));
std::string_view TrimWhere(std::string_view text, bool (*blank)(char));

}  // namespace ovn
