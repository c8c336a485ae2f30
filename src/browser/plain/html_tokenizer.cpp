#include "browser/plain/html_tokenizer.h"

#include <utility>

#include "browser/plain/html_document.h"
#include "common/text.h"

namespace ovn::browser {

namespace html {

// Short names for the shared ASCII helpers, as these readers use them.
bool IsSpace(wchar_t c) { return IsAsciiSpace(c); }
bool IsAsciiAlpha(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsAsciiAlnum(wchar_t c) { return IsAsciiAlpha(c) || IsAsciiDigit(c); }
std::wstring Lower(std::wstring_view s) { return ToLowerAscii(s); }
std::wstring_view Trim(std::wstring_view s) { return TrimAsciiSpace(s); }

void AppendCodePoint(std::wstring& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp > 0xFFFF) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(cp);
}

namespace {

struct NamedEntity {
    const wchar_t* name;
    std::uint32_t cp;
    bool legacy;  // also recognised without the ';', as browsers do
};

constexpr NamedEntity kEntities[] = {
    {L"amp", '&', true},        {L"lt", '<', true},          {L"gt", '>', true},
    {L"quot", '"', true},       {L"apos", '\'', false},      {L"nbsp", 0xA0, true},
    {L"copy", 0xA9, true},      {L"reg", 0xAE, true},        {L"trade", 0x2122, false},
    {L"middot", 0xB7, false},   {L"hellip", 0x2026, false},  {L"mdash", 0x2014, false},
    {L"ndash", 0x2013, false},  {L"laquo", 0xAB, false},     {L"raquo", 0xBB, false},
    {L"ldquo", 0x201C, false},  {L"rdquo", 0x201D, false},   {L"lsquo", 0x2018, false},
    {L"rsquo", 0x2019, false},  {L"bull", 0x2022, false},    {L"times", 0xD7, false},
    {L"divide", 0xF7, false},   {L"yen", 0xA5, false},       {L"euro", 0x20AC, false},
    {L"deg", 0xB0, false},      {L"plusmn", 0xB1, false},    {L"sect", 0xA7, false},
    {L"para", 0xB6, false},     {L"cent", 0xA2, false},      {L"pound", 0xA3, false},
    {L"larr", 0x2190, false},   {L"rarr", 0x2192, false},    {L"uarr", 0x2191, false},
    {L"darr", 0x2193, false},   {L"ensp", 0x2002, false},    {L"emsp", 0x2003, false},
    {L"thinsp", 0x2009, false}, {L"iexcl", 0xA1, false},     {L"iquest", 0xBF, false},
    {L"shy", 0xAD, false},
};

// Decodes one reference starting at text[i] == '&'. On success appends the
// character(s), advances i past the reference and returns true.
bool DecodeOne(std::wstring_view text, size_t& i, std::wstring& out, bool inAttribute) {
    size_t p = i + 1;
    if (p < text.size() && text[p] == L'#') {
        ++p;
        bool hex = p < text.size() && (text[p] == L'x' || text[p] == L'X');
        if (hex)
            ++p;
        std::uint32_t value = 0;
        size_t digits = 0;
        for (; p < text.size(); ++p) {
            wchar_t c = text[p];
            unsigned d;
            if (IsAsciiDigit(c))
                d = unsigned(c - L'0');
            else if (hex && c >= L'a' && c <= L'f')
                d = unsigned(c - L'a' + 10);
            else if (hex && c >= L'A' && c <= L'F')
                d = unsigned(c - L'A' + 10);
            else
                break;
            ++digits;
            if (value <= 0x10FFFF)
                value = value * (hex ? 16 : 10) + d;
        }
        if (digits == 0)
            return false;
        if (p < text.size() && text[p] == L';')
            ++p;
        AppendCodePoint(out, value);
        i = p;
        return true;
    }
    size_t nameEnd = p;
    while (nameEnd < text.size() && IsAsciiAlnum(text[nameEnd]) && nameEnd - p < 32)
        ++nameEnd;
    std::wstring_view name = text.substr(p, nameEnd - p);
    bool semicolon = nameEnd < text.size() && text[nameEnd] == L';';
    for (const auto& e : kEntities) {
        if (semicolon && name == e.name) {
            AppendCodePoint(out, e.cp);
            i = nameEnd + 1;
            return true;
        }
    }
    // Without ';' only the legacy names count, as the longest such prefix; inside an
    // attribute not when a letter, digit or '=' follows ("?a=1&copy=2" is a query).
    for (const auto& e : kEntities) {
        if (!e.legacy)
            continue;
        std::wstring_view en = e.name;
        if (name.substr(0, en.size()) != en)
            continue;
        size_t after = p + en.size();
        if (after < text.size() && text[after] == L';')
            continue;  // handled above if it was the whole name
        if (inAttribute && after < text.size() && (IsAsciiAlnum(text[after]) || text[after] == L'='))
            continue;
        AppendCodePoint(out, e.cp);
        i = after;
        return true;
    }
    return false;
}

}  // namespace

std::wstring Decode(std::wstring_view text, bool inAttribute) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] == L'&' && DecodeOne(text, i, out, inAttribute))
            continue;
        out += text[i++];
    }
    return out;
}

// Reads the tag that starts at html[i] == '<' (followed by a letter, or '/' and a
// letter). Returns false when the tag is not closed before the end of the text.
bool ReadTag(std::wstring_view html, size_t& i, Tag& tag) {
    size_t p = i + 1;
    if (html[p] == L'/') {
        tag.end = true;
        ++p;
    }
    size_t nameStart = p;
    while (p < html.size() && !IsSpace(html[p]) && html[p] != L'/' && html[p] != L'>')
        ++p;
    tag.name = Lower(html.substr(nameStart, p - nameStart));
    for (;;) {
        while (p < html.size() && (IsSpace(html[p]) || html[p] == L'/')) {
            if (html[p] == L'/' && p + 1 < html.size() && html[p + 1] == L'>')
                tag.selfClosing = true;
            ++p;
        }
        if (p >= html.size())
            return false;
        if (html[p] == L'>') {
            i = p + 1;
            return true;
        }
        size_t an = p;
        ++p;  // the first character may be '=' and still be part of the name
        while (p < html.size() && !IsSpace(html[p]) && html[p] != L'/' && html[p] != L'>' && html[p] != L'=')
            ++p;
        Attribute attr;
        attr.name = Lower(html.substr(an, p - an));
        while (p < html.size() && IsSpace(html[p]))
            ++p;
        if (p < html.size() && html[p] == L'=') {
            ++p;
            while (p < html.size() && IsSpace(html[p]))
                ++p;
            if (p >= html.size())
                return false;
            if (html[p] == L'"' || html[p] == L'\'') {
                wchar_t quote = html[p++];
                size_t close = html.find(quote, p);
                if (close == std::wstring_view::npos)
                    return false;
                attr.value = Decode(html.substr(p, close - p), true);
                p = close + 1;
            } else {
                size_t vs = p;
                while (p < html.size() && !IsSpace(html[p]) && html[p] != L'>')
                    ++p;
                attr.value = Decode(html.substr(vs, p - vs), true);
            }
        }
        if (!tag.end)
            tag.attributes.push_back(std::move(attr));
    }
}

// Position of the end tag "</name" that closes a raw-text element, or npos.
size_t FindRawEnd(std::wstring_view html, size_t from, std::wstring_view name) {
    for (size_t p = html.find(L"</", from); p != std::wstring_view::npos; p = html.find(L"</", p + 2)) {
        size_t q = p + 2;
        if (q + name.size() > html.size())
            return std::wstring_view::npos;
        if (Lower(html.substr(q, name.size())) != name)
            continue;
        size_t after = q + name.size();
        if (after == html.size() || IsSpace(html[after]) || html[after] == L'>' || html[after] == L'/')
            return p;
    }
    return std::wstring_view::npos;
}

}  // namespace html

std::wstring DecodeEntities(std::wstring_view text) { return html::Decode(text, false); }

}  // namespace ovn::browser
