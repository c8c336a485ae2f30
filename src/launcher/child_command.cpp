#include "launcher/child_command.h"

#include "common/protocol.h"

namespace ovn::launcher {

namespace {

std::wstring Decimal(long long value) {
    std::wstring digits;
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits.insert(digits.begin(), L'-');
    return digits;
}

}  // namespace

std::vector<std::wstring> GamePageArguments(std::int32_t launcherHandle, std::size_t pageCount, PageToken token) {
    return {std::wstring(kSwitchGamePage), L"/" + Decimal(launcherHandle),
            L"/" + Decimal(static_cast<long long>(pageCount)), PageTokenArgument(token)};
}

std::vector<std::wstring> GameHallArguments(std::int32_t launcherHandle) {
    return {std::wstring(kSwitchGameHall), L"/" + Decimal(launcherHandle)};
}

}  // namespace ovn::launcher
