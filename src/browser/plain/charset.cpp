#include "browser/plain/charset.h"

#include "browser/plain/html_document.h"
#include "common/text.h"

namespace ovn::browser {

namespace {

bool IsLabelQuoteOrBlank(char c) { return c == ' ' || c == '"' || c == '\''; }

std::string LowerTrim(std::string_view s) { return ToLowerAscii(TrimWhere(s, IsLabelQuoteOrBlank)); }

// A meta tag is looked for only this far into the page, as browsers do.
constexpr size_t kPrescanBytes = 4096;

struct ByteOrderMark {
    std::string_view bytes;
    const char* charset;
};
constexpr ByteOrderMark kMarks[] = {
    {"\xEF\xBB\xBF", "utf-8"}, {"\xFF\xFE", "utf-16le"}, {"\xFE\xFF", "utf-16be"}};

const ByteOrderMark* FindByteOrderMark(std::string_view body) {
    for (const auto& mark : kMarks)
        if (body.substr(0, mark.bytes.size()) == mark.bytes)
            return &mark;
    return nullptr;
}


// Latin-1 bytes as wide text: markup and labels are ASCII whatever the set.
std::wstring Widen(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes)
        out += static_cast<wchar_t>(c);
    return out;
}

}  // namespace

size_t ByteOrderMarkLength(std::string_view body) {
    const ByteOrderMark* mark = FindByteOrderMark(body);
    return mark ? mark->bytes.size() : 0;
}

std::string CharsetFromContentType(std::wstring_view content) {
    const std::wstring lower = ToLowerAscii(content);
    for (size_t k = lower.find(L"charset"); k != std::wstring::npos; k = lower.find(L"charset", k)) {
        k += 7;
        while (k < lower.size() && IsAsciiSpace(lower[k]))
            ++k;
        if (k >= lower.size() || lower[k] != L'=')
            continue;
        ++k;
        while (k < lower.size() && (IsAsciiSpace(lower[k]) || lower[k] == L'"' || lower[k] == L'\''))
            ++k;
        std::string out;
        for (; k < lower.size() && !IsAsciiSpace(lower[k]) && lower[k] != L';' && lower[k] != L'"' && lower[k] != L'\'';
             ++k)
            if (lower[k] < 0x80)
                out += static_cast<char>(lower[k]);
        return out;
    }
    return {};
}

std::string DetectCharset(std::string_view contentType, std::string_view body) {
    if (const ByteOrderMark* mark = FindByteOrderMark(body))
        return mark->charset;
    if (std::string label = CharsetFromContentType(Widen(contentType)); !label.empty())
        return label;
    return ParseHtml(Widen(body.substr(0, kPrescanBytes))).charset;
}

unsigned CodePageForCharset(std::string_view label) {
    std::string l = LowerTrim(label);
    struct Entry {
        const char* name;
        unsigned cp;
    };
    static const Entry kTable[] = {
        {"utf-8", 65001},      {"utf8", 65001},         {"unicode-1-1-utf-8", 65001},
        {"gbk", 936},          {"gb2312", 936},         {"gb_2312-80", 936},
        {"x-gbk", 936},        {"cp936", 936},          {"windows-936", 936},
        {"gb18030", 54936},    {"big5", 950},           {"big5-hkscs", 950},
        {"shift_jis", 932},    {"sjis", 932},           {"euc-kr", 949},
        {"iso-8859-1", 1252},  {"latin1", 1252},        {"windows-1252", 1252},
        {"us-ascii", 1252},    {"ascii", 1252},         {"utf-16le", 1200},
        {"utf-16", 1200},      {"utf-16be", 1201},
    };
    for (const auto& e : kTable)
        if (l == e.name)
            return e.cp;
    return 0;
}

}  // namespace ovn::browser
