#include "downloads/update_rules.h"

#include "common/text.h"

namespace ovn::downloads {

namespace {

constexpr std::size_t kKeyDigits = 28;
constexpr wchar_t kVersionDigits[] = L"3001";

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

}  // namespace ovn::downloads
