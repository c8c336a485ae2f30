#include "net/game_download_rules.h"

namespace ovn::net {

namespace {

std::uint32_t LittleEndian(std::span<const std::uint8_t> b, std::size_t at, std::size_t n) {
    std::uint32_t v = 0;
    for (std::size_t i = n; i-- > 0;)
        v = (v << 8) | b[at + i];
    return v;
}

}  // namespace

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

bool IsRunnableImage(std::span<const std::uint8_t> head) {
    constexpr std::uint32_t kMachineI386 = 0x014C, kMachineAmd64 = 0x8664;
    constexpr std::uint32_t kFileExecutable = 0x0002, kFileDll = 0x2000;
    if (head.size() < 0x40 || head[0] != 'M' || head[1] != 'Z')
        return false;
    const std::uint32_t pe = LittleEndian(head, 0x3C, 4);
    // Signature (4), machine (2), sections (2), time (4), symbols (8), optional size (2), characteristics (2).
    if (pe < 0x40 || pe > head.size() || head.size() - pe < 24)
        return false;
    if (head[pe] != 'P' || head[pe + 1] != 'E' || head[pe + 2] != 0 || head[pe + 3] != 0)
        return false;
    const std::uint32_t machine = LittleEndian(head, pe + 4, 2);
    const std::uint32_t characteristics = LittleEndian(head, pe + 22, 2);
    return (machine == kMachineI386 || machine == kMachineAmd64) && (characteristics & kFileExecutable) &&
           !(characteristics & kFileDll);
}

const wchar_t* GameDownloadTitle(bool done) { return done ? L"下载完成" : L"下载失败"; }

}  // namespace ovn::net
