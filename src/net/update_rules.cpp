#include "net/update_rules.h"

#include "common/text.h"

namespace ovn::net {

namespace {

constexpr std::size_t kKeyDigits = 28;
constexpr wchar_t kVersionDigits[] = L"3001";

std::uint32_t Read16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t Read32(std::span<const std::uint8_t> b, std::size_t at) {
    return Read16(b, at) | (Read16(b, at + 2) << 16);
}

bool IsHex(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

}  // namespace

bool IsUpdateDue(const UtcDay& today, const UtcDay& lastUpdate, std::uint32_t disableDays) {
    if (today.year == lastUpdate.year && today.month == lastUpdate.month && today.day == lastUpdate.day)
        return false;
    if (disableDays != 0) {
        for (int byte = 0; byte < 3; ++byte)
            if (((disableDays >> (8 * byte)) & 0xFF) == today.dayOfWeek)
                return false;
    }
    return true;
}

std::wstring HexDigest(const std::array<std::uint8_t, 16>& digest) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring out;
    out.reserve(32);
    for (std::uint8_t b : digest) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0xF]);
    }
    return out;
}

std::wstring VersionKeyFromDigest(std::wstring_view hexDigest) {
    return std::wstring(hexDigest.substr(0, kKeyDigits)) + kVersionDigits;
}

bool VersionKeysDiffer(std::wstring_view published, std::wstring_view local) {
    return !EqualsNoCase(published, local);
}

bool PackageMatchesKey(std::wstring_view packageHexDigest, std::wstring_view publishedKey) {
    if (packageHexDigest.size() < kKeyDigits || publishedKey.size() < kKeyDigits)
        return false;
    for (std::size_t i = 0; i < kKeyDigits; ++i)
        if (!IsHex(publishedKey[i]) || !IsHex(packageHexDigest[i]))
            return false;
    return EqualsNoCase(packageHexDigest.substr(0, kKeyDigits), publishedKey.substr(0, kKeyDigits));
}

std::optional<std::uint16_t> ExecutableMachine(std::span<const std::uint8_t> head) {
    constexpr std::size_t kLfanewAt = 0x3C, kFileHeaderBytes = 24;  // signature and IMAGE_FILE_HEADER
    constexpr std::uint32_t kExecutableImage = 0x0002, kDll = 0x2000;
    constexpr std::uint32_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
    if (head.size() < kLfanewAt + 4 || head[0] != 'M' || head[1] != 'Z')
        return std::nullopt;
    const std::uint64_t pe = Read32(head, kLfanewAt);
    // The signature, the file header and the optional header's magic.
    if (pe < kLfanewAt + 4 || pe + kFileHeaderBytes + 2 > head.size())
        return std::nullopt;
    const std::size_t at = static_cast<std::size_t>(pe);
    if (head[at] != 'P' || head[at + 1] != 'E' || head[at + 2] != 0 || head[at + 3] != 0)
        return std::nullopt;
    const std::uint32_t machine = Read16(head, at + 4);
    const std::uint32_t sections = Read16(head, at + 6);
    const std::uint32_t optionalBytes = Read16(head, at + 20);
    const std::uint32_t characteristics = Read16(head, at + 22);
    const std::uint32_t magic = Read16(head, at + kFileHeaderBytes);
    if (machine == 0 || sections == 0 || optionalBytes < 2)
        return std::nullopt;
    if (magic != kPe32Magic && magic != kPe32PlusMagic)
        return std::nullopt;
    if (!(characteristics & kExecutableImage) || (characteristics & kDll))
        return std::nullopt;
    return static_cast<std::uint16_t>(machine);
}

}  // namespace ovn::net
