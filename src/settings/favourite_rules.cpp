#include "settings/favourite_rules.h"

#include <array>

#include "common/text.h"

namespace ovn::settings {

std::wstring InternetShortcutText(std::wstring_view url) {
    std::wstring text = L"[DEFAULT]\r\nBASEURL=";
    text += url;
    text += L"\r\n[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n[InternetShortcut]\r\nURL=";
    text += url;
    text += L"\r\nIDList=\r\n";
    return text;
}

std::optional<std::string> InternetShortcutBytes(std::wstring_view url, const AnsiConverter& toAnsi) {
    return toAnsi(InternetShortcutText(url));
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

}  // namespace ovn::settings
