#include "app/start_mode.h"

#include "common/page_token.h"
#include "common/text.h"

namespace ovn {

std::int32_t ReadNumberArgument(std::wstring_view arg, std::size_t maxChars) {
    if (arg.empty() || arg.size() > maxChars)
        return 0;
    long long value = ReadLeadingInt(arg.substr(1));
    if (value < INT32_MIN || value > static_cast<long long>(UINT32_MAX))
        return 0;
    // A handle written unsigned (above INT32_MAX) is the same 32-bit value.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

const wchar_t* StartModeRole(StartMode mode) {
    switch (mode) {
    case ModeInstall: return L"install";
    case ModePortal: return L"portal";
    case ModeShortcut: return L"shortcut";
    case ModeLauncher: return L"launcher";
    case ModeRemove: return L"remove";
    case ModeUpdate: return L"update";
    case ModeGamePage: return L"page";
    case ModeGameHall: return L"hall";
    }
    return L"";
}

StartModeInfo DetectStartMode(const std::vector<std::wstring>& args, std::wstring_view exePath,
                              std::wstring_view gameLoginFolder) {
    StartModeInfo info;
    if (args.size() > 1) {
        const std::wstring& first = args[1];
        auto arg = [&](std::size_t i) { return i < args.size() ? std::wstring_view(args[i]) : std::wstring_view(); };
        if (EqualsNoCase(first, kSwitchPortal)) {
            info.mode = ModePortal;
            return info;
        }
        if (EqualsNoCase(first, kSwitchShortcut)) {
            info.mode = ModeShortcut;
            return info;
        }
        if (EqualsNoCase(first, kSwitchRemove)) {
            info.mode = ModeRemove;
            return info;
        }
        if (EqualsNoCase(first, kSwitchUpdate)) {
            info.mode = ModeUpdate;
            return info;
        }
        if (EqualsNoCase(first, kSwitchGamePage)) {
            info.mode = ModeGamePage;
            info.launcherWnd = ReadNumberArgument(arg(2), kHandleArgMax);
            info.pagesBefore = ReadNumberArgument(arg(3), kCountArgMax);
            info.pageToken = ReadPageTokenArgument(arg(4)).value_or(0);
            return info;
        }
        if (EqualsNoCase(first, kSwitchGameHall)) {
            info.mode = ModeGameHall;
            info.launcherWnd = ReadNumberArgument(arg(2), kHandleArgMax);
            return info;
        }
    }
    // No switch: the installed copy is the launcher, any other copy installs itself.
    // An unknown install folder never matches (an empty text would match anything).
    if (!gameLoginFolder.empty() &&
        ToUpperAscii(exePath).find(ToUpperAscii(gameLoginFolder)) != std::wstring::npos)
        info.mode = ModeLauncher;
    else
        info.mode = ModeInstall;
    return info;
}

}  // namespace ovn
