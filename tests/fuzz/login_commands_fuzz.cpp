// The login page's "app://..." navigations: an account text that is taken is
// short, free of control characters, and its label reads back as the same record.
#include "fuzz_support.h"
#include "gamepage/login_commands.h"

using namespace ovn::gamepage;

namespace {

std::size_t Utf8Bytes(std::wstring_view text) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned c = static_cast<unsigned>(text[i]);
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            bytes += 4, ++i;
        else
            bytes += 3;
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring url = ovn::fuzz::Text(data, size);
    (void)ClassifyLoginNavigation(url);
    (void)ReadLoginCommand(url);
    const LoadGameParts parts = SplitLoadGame(url);
    FUZZ_CHECK(parts.accountText.size() + parts.gameUrl.size() <= url.size());

    // The account text alone, as the page may write it.
    if (auto decoded = DecodeAccountText(url)) {
        FUZZ_CHECK(Utf8Bytes(*decoded) <= kMaxAccountTextBytes);
        for (wchar_t c : *decoded)
            FUZZ_CHECK(c >= 0x20 && c != 0x7F);
        if (url.find(L'%') == std::wstring::npos)
            FUZZ_CHECK(*decoded == url);
    }
    if (auto record = ParseAccountText(url)) {
        FUZZ_CHECK(!record->server.empty() && !record->account.empty());
        (void)DuplicateLoginMessage(*record);
        // The label reads back as the record, but for a server name cut at its
        // '》', which a second reading would cut again.
        const auto again = ParseAccountText(record->Text());
        FUZZ_CHECK(again.has_value());
        if (record->serverName.find(L'》') == std::wstring::npos)
            FUZZ_CHECK(*again == *record);
    }
    if (auto command = ParseLoadGame(url))
        FUZZ_CHECK(!command->record.Text().empty());
    return 0;
}
