#include "browser/charset.h"

#include "browser/html_document.h"

namespace ovn::browser {

namespace {

std::string LowerTrim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '"' || s.front() == '\''))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '"' || s.back() == '\''))
        s.remove_suffix(1);
    std::string out(s);
    for (auto& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

// A meta tag is looked for only this far into the page, as browsers do.
constexpr size_t kPrescanBytes = 4096;

}  // namespace

size_t ByteOrderMarkLength(std::string_view b) {
    if (b.size() >= 3 && b.substr(0, 3) == "\xEF\xBB\xBF")
        return 3;
    if (b.size() >= 2 && (b.substr(0, 2) == "\xFF\xFE" || b.substr(0, 2) == "\xFE\xFF"))
        return 2;
    return 0;
}

std::string DetectCharset(std::string_view contentType, std::string_view body) {
    if (body.substr(0, 3) == "\xEF\xBB\xBF")
        return "utf-8";
    if (body.substr(0, 2) == "\xFF\xFE")
        return "utf-16le";
    if (body.substr(0, 2) == "\xFE\xFF")
        return "utf-16be";

    std::string type = LowerTrim(contentType);
    if (size_t k = type.find("charset="); k != std::string::npos) {
        std::string_view v = std::string_view(type).substr(k + 8);
        size_t end = v.find(';');
        std::string label = LowerTrim(v.substr(0, end));
        if (!label.empty())
            return label;
    }

    // The prescan reads the bytes as Latin-1: the markup is ASCII whatever the set.
    std::wstring head;
    std::string_view prefix = body.substr(0, kPrescanBytes);
    head.reserve(prefix.size());
    for (unsigned char c : prefix)
        head += static_cast<wchar_t>(c);
    return ParseHtml(head).charset;
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
