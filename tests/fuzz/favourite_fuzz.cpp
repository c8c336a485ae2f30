// A favourite's name as the player typed it (or a page's title): the file name
// stays one name inside the Favorites folder, is never a device, keeps no half
// character, and the full path fits the file functions.
#include "fuzz_support.h"
#include "gamepage/favourite_rules.h"

using namespace ovn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring name = ovn::fuzz::Text(data, size);
    const std::wstring file = FavouriteFileName(name);
    FUZZ_CHECK(file.size() >= 4 && file.ends_with(L".url"));
    const std::wstring stem = file.substr(0, file.size() - 4);
    FUZZ_CHECK(stem.size() <= kFavouriteNameChars + 1);
    for (wchar_t c : stem)
        FUZZ_CHECK(c >= 0x20 && std::wstring_view(L"<>:\"/\\|?*").find(c) == std::wstring_view::npos);
    // A cut never parts a pair: when the stem ends in a high half, the name's next
    // character is no low half. (A name that is a device's has '_' in front, so
    // the name's characters kept are one fewer than the stem's.) The name's own
    // lone halves may stay where they were.
    const auto high = [](wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; };
    const auto low = [](wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
    if (!stem.empty() && high(stem.back()))
        for (std::size_t kept : {stem.size(), stem.size() - 1})
            if (kept > 0 && kept < name.size() && name[kept - 1] == stem.back())
                FUZZ_CHECK(!low(name[kept]));
    // Named again, the file keeps its name: nothing left for a second pass to change.
    if (stem.size() <= kFavouriteNameChars)
        FUZZ_CHECK(FavouriteFileName(stem) == file);
    if (const auto path = FavouritePath(L"C:\\Users\\player\\Favorites", name)) {
        FUZZ_CHECK(path->size() < kFavouriteMaxPath);
        FUZZ_CHECK(path->ends_with(file));
    }
    const std::wstring shortcut = InternetShortcutText(name);
    FUZZ_CHECK(shortcut.find(name) != std::wstring::npos);
    return 0;
}
