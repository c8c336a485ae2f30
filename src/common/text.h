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

}  // namespace ovn
