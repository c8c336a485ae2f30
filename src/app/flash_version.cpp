#include "app/flash_version.h"

#include "common/text.h"

namespace ovn {

namespace {

// Takes the next component; the last one stays in place so that it repeats.
long long NextComponent(std::wstring_view& rest) {
    std::size_t comma = rest.find(L',');
    if (rest.empty() || comma == std::wstring_view::npos)
        return ReadLeadingInt(rest);
    long long value = ReadLeadingInt(rest.substr(0, comma));
    rest.remove_prefix(comma + 1);
    return value;
}

}  // namespace

bool IsFlashVersionNewer(std::wstring_view installed, std::wstring_view required) {
    for (int round = 0; round < 4; ++round) {
        long long have = NextComponent(installed);
        long long need = NextComponent(required);
        if (have != need)
            return have > need;
    }
    return false;
}

}  // namespace ovn
