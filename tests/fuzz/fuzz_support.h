// What every fuzz target shares: the input read as text (the form the program's
// Windows side hands the rules), cut into fields, the check that stops a run
// when a property does not hold, and a text measure for the layout rules.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ovn::fuzz {

// The input as UTF-16 text, one unit per wchar_t (the Windows form in every
// build): after a leading FF FE the bytes are UTF-16 little-endian units, so
// every unit, lone surrogates included, can be reached; otherwise they are UTF-8
// (characters past U+FFFF become surrogate pairs), and a byte that starts no
// valid sequence stands for the character of its value. Seeds stay readable.
std::wstring Text(const std::uint8_t* data, std::size_t size);

// The text's first fields - 1 lines, and everything after them as the last field
// (fewer when the text has fewer lines).
std::vector<std::wstring> Fields(std::wstring_view text, std::size_t fields);

// A number taken from the input's first bytes (little end first), which are
// then no longer part of it; 0 for bytes that are missing.
std::uint32_t TakeNumber(const std::uint8_t*& data, std::size_t& size, std::size_t bytes);

// A deterministic width in pixels, as a font would give: wide for CJK, zero for
// a few controls, something between 1 and 9 for the rest.
int CharWidth(wchar_t c);
int TextWidth(std::wstring_view text);

[[noreturn]] void Fail(const char* what, const char* file, int line);

}  // namespace ovn::fuzz

// A property of the rule under test; a violation aborts, and the fuzzer keeps
// the input that showed it.
#define FUZZ_CHECK(cond) ((cond) ? void(0) : ::ovn::fuzz::Fail(#cond, __FILE__, __LINE__))
