#include "gamepage/favourite_rules.h"

#include <array>

#include "common/text.h"

namespace ovn {

std::wstring InternetShortcutText(std::wstring_view url) {
    std::wstring text = L"[DEFAULT]\r\nBASEURL=";
    text += url;
    text += L"\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n[InternetShortcut]\r\nURL=";
    text += url;
    text += L"\r\nIDList=\r\n";
    return text;
}

namespace {

void AppendPercentUtf8(std::wstring& out, char32_t c) {
    unsigned char bytes[4];
    int n = 0;
    if (c < 0x80) {
        bytes[n++] = static_cast<unsigned char>(c);
    } else if (c < 0x800) {
        bytes[n++] = static_cast<unsigned char>(0xC0 | (c >> 6));
        bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes[n++] = static_cast<unsigned char>(0xE0 | (c >> 12));
        bytes[n++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else {
        bytes[n++] = static_cast<unsigned char>(0xF0 | (c >> 18));
        bytes[n++] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
        bytes[n++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    for (int i = 0; i < n; ++i) {
        out += L'%';
        out += kHex[bytes[i] >> 4];
        out += kHex[bytes[i] & 0xF];
    }
}

}  // namespace

std::wstring ShortcutAddress(std::wstring_view url, const AnsiConverter& toAnsi) {
    std::wstring out;
    for (std::size_t i = 0; i < url.size(); ++i) {
        const wchar_t c = url[i];
        if (c < 0x20 || c == 0x7F) {
            AppendPercentUtf8(out, c);
            continue;
        }
        if (c < 0x7F) {
            out += c;
            continue;
        }
        // One character: a whole surrogate pair, or what a lone half stands for.
        std::wstring_view one = url.substr(i, 1);
        char32_t point = c;
        const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < url.size() && url[i + 1] >= 0xDC00 && url[i + 1] <= 0xDFFF) {
            one = url.substr(i, 2);
            point = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (url[i + 1] - 0xDC00);
            ++i;
        } else if (high || low) {
            AppendPercentUtf8(out, 0xFFFD);
            continue;
        }
        if (toAnsi(one))
            out += one;
        else
            AppendPercentUtf8(out, point);
    }
    return out;
}

std::optional<std::string> InternetShortcutBytes(std::wstring_view url, const AnsiConverter& toAnsi) {
    return toAnsi(InternetShortcutText(ShortcutAddress(url, toAnsi)));
}

namespace {

bool AllowedInFileName(wchar_t c) {
    if (c < 0x20)
        return false;
    switch (c) {
    case L'<': case L'>': case L':': case L'"': case L'/': case L'\\': case L'|': case L'?': case L'*':
        return false;
    default:
        return true;
    }
}

// The system opens a device for these names, whatever extension follows.
bool IsDeviceName(std::wstring_view name) {
    std::wstring_view stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.remove_suffix(1);
    static constexpr std::array<std::wstring_view, 6> plain = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (std::wstring_view device : plain)
        if (EqualsNoCase(stem, device))
            return true;
    if (stem.size() == 4 && (EqualsNoCase(stem.substr(0, 3), L"COM") || EqualsNoCase(stem.substr(0, 3), L"LPT"))) {
        const wchar_t n = stem[3];
        return (n >= L'0' && n <= L'9') || n == 0xB9 || n == 0xB2 || n == 0xB3;  // digits and ¹²³
    }
    return false;
}

}  // namespace

std::wstring FavouriteFileName(std::wstring_view name) {
    std::size_t keep = name.size() < kFavouriteNameChars ? name.size() : kFavouriteNameChars;
    if (keep > 0 && keep < name.size() && name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF)
        --keep;  // never half a character
    std::wstring file(name.substr(0, keep));
    for (wchar_t& c : file)
        if (!AllowedInFileName(c))
            c = L'_';
    if (IsDeviceName(file))
        file.insert(file.begin(), L'_');
    return file + L".url";
}

std::optional<std::wstring> FavouritePath(std::wstring_view folder, std::wstring_view name) {
    if (folder.empty())
        return std::nullopt;
    std::wstring path(folder);
    if (path.back() != L'\\')
        path += L'\\';
    path += FavouriteFileName(name);
    if (path.size() >= kFavouriteMaxPath)
        return std::nullopt;
    return path;
}

}  // namespace ovn
