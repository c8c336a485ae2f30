#include "downloads/game_download_rules.h"

#include "downloads/program_image.h"

namespace ovn::downloads {

bool IsGameTag(std::wstring_view tag) {
    constexpr std::size_t kMaxTag = 64;
    if (tag.empty() || tag.size() > kMaxTag)
        return false;
    for (wchar_t c : tag) {
        const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
        if (!letter && !(c >= L'0' && c <= L'9'))
            return false;
    }
    return true;
}

std::wstring GameConfigPath(std::wstring_view tag) { return L"/update/Config" + std::wstring(tag) + L".htm"; }

std::wstring GameFile(std::wstring_view folder, std::wstring_view tag, std::wstring_view extension) {
    return std::wstring(folder) + std::wstring(tag) + std::wstring(extension);
}

bool IsInstallerMachine(std::uint16_t machine) { return machine == kMachineI386 || machine == kMachineAmd64; }

const wchar_t* GameDownloadTitle(bool done) { return done ? L"下载完成" : L"下载失败"; }

}  // namespace ovn::downloads
