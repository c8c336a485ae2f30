#include "common/code_page.h"

#include <windows.h>

namespace ovn {

std::optional<std::string> ExactInCodePage(std::wstring_view text, unsigned codePage) {
    if (text.empty())
        return std::string();
    // UTF-8 takes no best-fit flag and reports no default character; the round
    // trip below is the test that counts either way.
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && ::GetACP() == CP_UTF8) ||
                      (codePage == CP_OEMCP && ::GetOEMCP() == CP_UTF8);
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* lossyOut = utf8 ? nullptr : &lossy;
    const int length = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, lossyOut);
    if (n <= 0 || lossy)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(n), '\0');
    if (::WideCharToMultiByte(codePage, flags, text.data(), length, bytes.data(), n, nullptr, lossyOut) != n || lossy)
        return std::nullopt;
    const int back = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), n, nullptr, 0);
    if (back <= 0)
        return std::nullopt;
    std::wstring round(static_cast<std::size_t>(back), L'\0');
    if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), n, round.data(), back) != back ||
        round != text)
        return std::nullopt;
    return bytes;
}

}  // namespace ovn
