// The update's configuration as the portal publishes it and as the settings key
// keeps it: the published version key against our own, a downloaded package's
// digest against the key, and the stored update day and skipped weekdays.
// Input: 8 + 8 bytes of days, 4 of skipped weekdays, 16 of a package digest,
// then the published key.
#include "fuzz_support.h"
#include "downloads/update_rules.h"

using namespace ovn::downloads;

namespace {

UtcDay TakeDay(const std::uint8_t*& data, std::size_t& size) {
    UtcDay day;
    day.year = ovn::fuzz::TakeNumber(data, size, 2);
    day.month = ovn::fuzz::TakeNumber(data, size, 2);
    day.dayOfWeek = ovn::fuzz::TakeNumber(data, size, 2);
    day.day = ovn::fuzz::TakeNumber(data, size, 2);
    return day;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const UtcDay today = TakeDay(data, size), last = TakeDay(data, size);
    const std::uint32_t disableDays = ovn::fuzz::TakeNumber(data, size, 4);
    FUZZ_CHECK(!IsUpdateDue(today, today, disableDays));
    if (disableDays == 0 && (today.year != last.year || today.month != last.month || today.day != last.day))
        FUZZ_CHECK(IsUpdateDue(today, last, disableDays));

    std::array<std::uint8_t, 16> digest{};
    for (auto& b : digest)
        b = static_cast<std::uint8_t>(ovn::fuzz::TakeNumber(data, size, 1));
    const std::wstring hex = HexDigest(digest);
    FUZZ_CHECK(hex.size() == 32);
    const std::wstring ours = VersionKeyFromDigest(hex);
    // A package is the release whose key it computes for itself.
    FUZZ_CHECK(PackageMatchesKey(hex, ours));
    FUZZ_CHECK(!VersionKeysDiffer(ours, ours));

    const std::wstring published = ovn::fuzz::Text(data, size);
    FUZZ_CHECK(VersionKeysDiffer(published, ours) == VersionKeysDiffer(ours, published));
    if (PackageMatchesKey(hex, published)) {
        FUZZ_CHECK(published.size() >= 28);
        // The new copy will not offer the same release again.
        FUZZ_CHECK(published.size() != ours.size() || !VersionKeysDiffer(published.substr(0, 28) + ours.substr(28), ours));
    }
    (void)VersionKeyFromDigest(published);
    return 0;
}
