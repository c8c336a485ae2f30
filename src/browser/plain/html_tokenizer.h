// The plain engine's reading of a page's characters: the text helpers its
// readers share, character references, and one tag with its attributes.
// Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ovn::browser::html {

bool IsSpace(wchar_t c);
bool IsAsciiAlpha(wchar_t c);
bool IsAsciiDigit(wchar_t c);
bool IsAsciiAlnum(wchar_t c);
std::wstring Lower(std::wstring_view s);
std::wstring_view Trim(std::wstring_view s);

// A code point as UTF-16 or UTF-32, whichever wchar_t holds here.
void AppendCodePoint(std::wstring& out, std::uint32_t cp);

// Replaces character references; inside an attribute value a legacy name
// followed by "=" or an alphanumeric stays as written, as browsers do.
std::wstring Decode(std::wstring_view text, bool inAttribute);

struct Attribute {
    std::wstring name;  // lower case
    std::wstring value;
};

struct Tag {
    std::wstring name;  // lower case
    bool end = false;
    bool selfClosing = false;
    std::vector<Attribute> attributes;

    const std::wstring* Get(std::wstring_view attr) const {
        for (const auto& a : attributes)
            if (a.name == attr)
                return &a.value;
        return nullptr;
    }
};

// Reads the tag that starts at html[i] == '<' (followed by a letter, or '/' and a
// letter). Returns false when the tag is not closed before the end of the text.
bool ReadTag(std::wstring_view html, size_t& i, Tag& tag);

// Position of the end tag "</name" that closes a raw-text element, or npos.
size_t FindRawEnd(std::wstring_view html, size_t from, std::wstring_view name);

}  // namespace ovn::browser::html
