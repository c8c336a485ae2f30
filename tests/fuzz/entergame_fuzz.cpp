// The hall's "app://entergame|<tag>|<url>" link: a tag that is read can only
// name a file in the launcher folder, and a download URL is handed to the shell
// only when it is a plain http(s) URL.
#include "browser/url.h"
#include "fuzz_support.h"
#include "gamepage/entergame.h"

using namespace ovn::gamepage;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring url = ovn::fuzz::Text(data, size);
    const auto command = ParseEnterGame(url, L"http://www.example.com/download");
    if (!command)
        return 0;
    FUZZ_CHECK(IsEnterGameUrl(url));
    const std::wstring& tag = command->gameTag;
    FUZZ_CHECK(!tag.empty() && tag.size() <= 64);
    for (wchar_t c : tag)
        FUZZ_CHECK((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'));
    if (command->downloadUrlOpenable)
        FUZZ_CHECK(ovn::browser::IsHttpUrl(command->downloadUrl));
    const std::wstring path = GameLauncherPath(L"C:\\ProgramData\\Quenra\\GameLogin", tag);
    FUZZ_CHECK(path == L"C:\\ProgramData\\Quenra\\GameLogin\\" + tag + L".exe");
    return 0;
}
