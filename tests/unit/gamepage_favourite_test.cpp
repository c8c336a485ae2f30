#include "gamepage/favourite_rules.h"

#include <gtest/gtest.h>

using namespace ovn;

namespace {

// A stand-in for the system's exact conversion into the Chinese code page:
// ASCII as is, the few characters the tests use as their two-byte codes, and
// nothing for text with any other character.
std::optional<std::string> ToGbk(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) {
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c == L'\u6e38')  // 游
            out += "\xD3\xCE";
        else if (c == L'\u620f')  // 戏
            out += "\xCF\xB7";
        else
            return std::nullopt;
    }
    return out;
}

}  // namespace

TEST(InternetShortcut, HoldsTheAddressTwiceInTheTemplateBytes) {
    const auto ascii = InternetShortcutBytes(L"http://g.example.com/game/ovn.htm?sid=7&x=1", ToGbk);
    ASSERT_TRUE(ascii);
    EXPECT_EQ(*ascii,
              "[DEFAULT]\r\nBASEURL=http://g.example.com/game/ovn.htm?sid=7&x=1\r\n"
              "[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n[InternetShortcut]\r\n"
              "URL=http://g.example.com/game/ovn.htm?sid=7&x=1\r\nIDList=\r\n");
    EXPECT_EQ(InternetShortcutText(L"").size(), 109u - 4u);  // the frame of the text without the address

    // Non-ASCII in the code page's bytes; what it cannot hold, percent-encoded
    // as UTF-8: the same address, never a "?" that names another.
    const auto chinese = InternetShortcutBytes(L"http://g.example.com/\u6e38\u620f\u00e9", ToGbk);
    ASSERT_TRUE(chinese);
    EXPECT_EQ(*chinese,
              "[DEFAULT]\r\nBASEURL=http://g.example.com/\xD3\xCE\xCF\xB7%C3%A9\r\n"
              "[{000214A0-0000-0000-C000-000000000046}]\r\n=19,2\r\n[InternetShortcut]\r\n"
              "URL=http://g.example.com/\xD3\xCE\xCF\xB7%C3%A9\r\nIDList=\r\n");

    // A failed conversion gives no bytes, so no file.
    EXPECT_FALSE(InternetShortcutBytes(L"http://x/", [](std::wstring_view) { return std::optional<std::string>(); }));
}

TEST(InternetShortcut, AddressKeepsWhatTheCodePageHoldsAndEncodesTheRest) {
    EXPECT_EQ(ShortcutAddress(L"http://h/a?b=c&d=%41", ToGbk), L"http://h/a?b=c&d=%41");
    EXPECT_EQ(ShortcutAddress(L"http://h/\u6e38/\u0e01", ToGbk), L"http://h/\u6e38/%E0%B8%81");
    // Characters past the basic plane: one UTF-8 sequence for the pair.
    EXPECT_EQ(ShortcutAddress(L"http://h/\U0001F600x", ToGbk), L"http://h/%F0%9F%98%80x");
    // Half a pair is no character: the replacement character's bytes.
    EXPECT_EQ(ShortcutAddress(std::wstring(L"http://h/") + L'\xD83D' + L"x", ToGbk), L"http://h/%EF%BF%BDx");
    EXPECT_EQ(ShortcutAddress(std::wstring(L"http://h/") + L'\xDE00', ToGbk), L"http://h/%EF%BF%BD");
    // A line break in an address would add a line of the page's choosing to the file.
    EXPECT_EQ(ShortcutAddress(L"http://h/\r\nIconFile=x\t\x7F", ToGbk), L"http://h/%0D%0AIconFile=x%09%7F");
}

TEST(InternetShortcut, LongAddressIsWrittenWhole) {
    const std::wstring url = L"http://g.example.com/game?" + std::wstring(1000, L'a') + L"END";
    const std::wstring text = InternetShortcutText(url);
    EXPECT_NE(text.find(L"BASEURL=" + url + L"\r\n"), std::wstring::npos);
    EXPECT_NE(text.find(L"URL=" + url + L"\r\nIDList=\r\n"), std::wstring::npos);
}

TEST(FavouriteName, OrdinaryNamesAreKeptAsTyped) {
    EXPECT_EQ(FavouriteFileName(L"Orvane"), L"Orvane.url");
    EXPECT_EQ(FavouriteFileName(L"12\u670d-\u9f99\u57ce \u6e38\u620f!"), L"12\u670d-\u9f99\u57ce \u6e38\u620f!.url");
    EXPECT_EQ(FavouriteFileName(L"a.b (2) [x]"), L"a.b (2) [x].url");
    EXPECT_EQ(FavouriteFileName(L"ends with dot. "), L"ends with dot. .url");  // not the last part of the name
    EXPECT_EQ(FavouriteFileName(L""), L".url");
    EXPECT_EQ(FavouriteFileName(L"CONTROL"), L"CONTROL.url");
    EXPECT_EQ(FavouriteFileName(L"COM10"), L"COM10.url");
}

TEST(FavouriteName, PathCharactersNeverLeaveTheFolder) {
    EXPECT_EQ(FavouriteFileName(L"..\\..\\Windows\\x"), L".._.._Windows_x.url");
    EXPECT_EQ(FavouriteFileName(L"../up"), L".._up.url");
    EXPECT_EQ(FavouriteFileName(L".."), L"...url");
    EXPECT_EQ(FavouriteFileName(L"C:\\boot"), L"C__boot.url");
    EXPECT_EQ(FavouriteFileName(L"a:stream"), L"a_stream.url");
    EXPECT_EQ(FavouriteFileName(L"<>\"|?*"), L"______.url");
    EXPECT_EQ(FavouriteFileName(L"tab\there\r\n"), L"tab_here__.url");
    EXPECT_EQ(FavouritePath(L"C:\\users\\me\\Favorites", L"..\\evil"), L"C:\\users\\me\\Favorites\\.._evil.url");
    EXPECT_EQ(FavouritePath(L"C:\\fav\\", L"x"), L"C:\\fav\\x.url");
}

TEST(FavouriteName, DeviceNamesGetALeadingUnderscore) {
    for (const wchar_t* device : {L"CON", L"con", L"PRN", L"AUX", L"nul", L"COM1", L"lpt9", L"CONIN$", L"CON.txt",
                                  L"NUL  ", L"aux .x", L"COM\u00b9"})
        EXPECT_EQ(FavouriteFileName(device), L"_" + std::wstring(device) + L".url") << device;
}

TEST(FavouriteName, LengthLimits) {
    const std::wstring longName(200, L'\u6e38');
    EXPECT_EQ(FavouriteFileName(longName), std::wstring(127, L'\u6e38') + L".url");
    // A cut never splits a character outside the basic plane (as UTF-16 holds it).
    std::wstring astral(126, L'a');
    astral += static_cast<wchar_t>(0xD83D);
    astral += static_cast<wchar_t>(0xDE00);
    astral += L"tail";
    EXPECT_EQ(FavouriteFileName(astral), std::wstring(126, L'a') + L".url");

    // A path the file functions cannot take is no path at all, never a shorter name.
    const std::wstring folder = L"C:\\" + std::wstring(200, L'f');
    EXPECT_TRUE(FavouritePath(folder, std::wstring(50, L'n')));
    EXPECT_FALSE(FavouritePath(folder, std::wstring(60, L'n')));
    EXPECT_FALSE(FavouritePath(L"", L"x"));
}
