#include "http/http_length.h"

#include <algorithm>

namespace ovn::http {

std::optional<std::uint64_t> ParseContentLength(std::wstring_view text) {
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (wchar_t c : text) {
        if (c == L'\0')
            break;
        if (c < L'0' || c > L'9' || ++digits > 19)  // 19 digits always fit 64 bits
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}


std::size_t ReadAllowance(std::uint64_t received, std::uint64_t announced, std::size_t want) {
    if (received >= announced)
        return 0;
    const std::uint64_t left = announced - received;
    return left < want ? static_cast<std::size_t>(left) : want;
}

std::size_t NextReadSize(std::size_t want, std::size_t got, std::uint64_t tookMs, std::size_t chunk,
                         std::size_t buffer) {
    constexpr std::uint64_t kQuickReadMs = 50, kSlowReadMs = 250;
    if (got == want && tookMs < kQuickReadMs)
        return std::min(want * 2, buffer);
    if (tookMs > kSlowReadMs)
        return std::max(want / 2, std::min(chunk, buffer));
    return want;
}

BodyEnd JudgeBody(std::uint64_t received, std::uint64_t announced, bool moreAfterLength) {
    if (received < announced)
        return BodyEnd::Short;
    if (received > announced || moreAfterLength)
        return BodyEnd::Overlong;
    return BodyEnd::Complete;
}

}  // namespace ovn::http
