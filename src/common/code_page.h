// Wide text in a Windows code page, exactly or not at all: a character the code
// page has no spelling for would otherwise come out as "?" or a look-alike, and a
// path or an address spelt so names something else.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace ovn {

// text in codePage (CP_ACP, CP_OEMCP or a number), when it converts there and
// back unchanged; nothing otherwise. Empty text is empty bytes.
std::optional<std::string> ExactInCodePage(std::wstring_view text, unsigned codePage);

}  // namespace ovn
