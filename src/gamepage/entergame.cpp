#include "gamepage/entergame.h"

#include "browser/url.h"

namespace ovn::gamepage {

namespace {

constexpr size_t kMaxTagLength = 64;

bool IsTagChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

}  // namespace

bool IsEnterGameUrl(std::wstring_view url) { return url.find(kEnterGameMarker) != std::wstring_view::npos; }

std::optional<EnterGameCommand> ParseEnterGame(std::wstring_view url, std::wstring_view defaultDownloadUrl) {
    size_t marker = url.find(kEnterGameMarker);
    if (marker == std::wstring_view::npos)
        return std::nullopt;
    std::wstring_view rest = url.substr(marker + kEnterGameMarker.size());

    EnterGameCommand cmd;
    std::wstring_view name = rest;
    cmd.downloadUrl = std::wstring(defaultDownloadUrl);
    if (size_t bar = rest.find(L'|'); bar != std::wstring_view::npos) {
        name = rest.substr(0, bar);
        cmd.downloadUrl = std::wstring(rest.substr(bar + 1));
    }
    for (wchar_t c : name) {
        if (c == L'/')
            continue;
        if (!IsTagChar(c))
            return std::nullopt;
        cmd.gameTag += c;
    }
    if (cmd.gameTag.empty() || cmd.gameTag.size() > kMaxTagLength)
        return std::nullopt;
    if (cmd.gameTag[0] >= L'a' && cmd.gameTag[0] <= L'z')
        cmd.gameTag[0] = wchar_t(cmd.gameTag[0] - L'a' + L'A');
    cmd.downloadUrlOpenable = browser::IsHttpUrl(cmd.downloadUrl);
    return cmd;
}

std::wstring GameLauncherPath(std::wstring_view gameLoginFolder, std::wstring_view gameTag) {
    std::wstring path(gameLoginFolder);
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    path += gameTag;
    path += L".exe";
    return path;
}

}  // namespace ovn::gamepage
