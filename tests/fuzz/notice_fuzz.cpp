// The notice the portal publishes, and the day, the stored PopInfo and
// PopEnable it is weighed against. Input: 12 bytes of two dates (year, month,
// day of each, 2 bytes a part), then lines of text: the downloaded notice, the
// stored PopInfo, the stored PopEnable, today as the launcher formats it. The
// same bytes, read as a picture, go to the picture check.
#include <algorithm>
#include <span>

#include "fuzz_support.h"
#include "downloads/notice_rules.h"

using namespace ovn::downloads;

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// A cut field: a prefix of what the line held, within its limit, and one unit
// short only where the last unit kept would be half a pair.
void CheckCut(const std::wstring& field, std::wstring_view raw, std::size_t limit) {
    FUZZ_CHECK(raw.substr(0, field.size()) == field);
    FUZZ_CHECK(field.size() <= limit);
    if (raw.size() <= limit)
        FUZZ_CHECK(field.size() == raw.size());
    else
        FUZZ_CHECK(field.size() == limit || (field.size() + 1 == limit && IsHighSurrogate(raw[limit - 1])));
}

int Sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> whole(data, size);
    if (const auto dims = PictureDimensions(whole))
        FUZZ_CHECK(dims->width > 0 && dims->height > 0);
    if (IsNoticePictureAcceptable(whole)) {
        const auto dims = PictureDimensions(whole);
        FUZZ_CHECK(dims && dims->width <= kNoticePictureMaxSide && dims->height <= kNoticePictureMaxSide);
        FUZZ_CHECK(size > 0 && size <= kNoticePictureMaxBytes);
    }

    // Two days as the launcher writes them (a year of up to five digits, a month
    // and a day of two) compare as their numbers do, and each equals itself.
    int day[2][3];
    for (auto& d : day)
        for (int i = 0; i < 3; ++i)
            d[i] = static_cast<int>(ovn::fuzz::TakeNumber(data, size, 2)) % (i == 0 ? 100000 : 100);
    const std::wstring a = FormatDay(day[0][0], day[0][1], day[0][2]);
    const std::wstring b = FormatDay(day[1][0], day[1][1], day[1][2]);
    FUZZ_CHECK(CompareDates(a, a) == 0);
    const int order = std::lexicographical_compare(day[0], day[0] + 3, day[1], day[1] + 3)   ? 1
                      : std::lexicographical_compare(day[1], day[1] + 3, day[0], day[0] + 3) ? -1
                                                                                               : 0;
    FUZZ_CHECK(Sign(CompareDates(a, b)) == order);

    const auto fields = ovn::fuzz::Fields(ovn::fuzz::Text(data, size), 4);
    auto field = [&](std::size_t i) { return i < fields.size() ? std::wstring_view(fields[i]) : std::wstring_view(); };
    const std::wstring body(field(0)), popInfo(field(1)), popEnable(field(2)), today(field(3));

    // The line is the body's start, with nothing that ends a line or a string.
    const std::wstring line = NoticeLine(body);
    FUZZ_CHECK(body.compare(0, line.size(), line) == 0);
    FUZZ_CHECK(line.find_first_of(std::wstring_view(L"\0\r\n", 3)) == std::wstring::npos);
    FUZZ_CHECK(NoticeLine(line) == line);

    // Only two readable days can give "not passed", and then the other way
    // round gives the opposite (anything unreadable reads as passed both ways).
    const int vsToday = CompareDates(line, today);
    if (vsToday < 0)
        FUZZ_CHECK(CompareDates(today, line) > 0);
    if (vsToday == 0)
        FUZZ_CHECK(CompareDates(today, line) == 0);

    FUZZ_CHECK(!ShouldShowNotice(L"", popInfo, popEnable));
    if (!line.empty() && (popInfo.empty() || line.find(popInfo) == std::wstring::npos))
        FUZZ_CHECK(ShouldShowNotice(line, popInfo, popEnable));
    if (!line.empty() && !popInfo.empty() && line.find(popInfo) != std::wstring::npos && popEnable == L"0")
        FUZZ_CHECK(!ShouldShowNotice(line, popInfo, popEnable));

    const auto notice = SplitNotice(line);
    FUZZ_CHECK(notice.has_value() == (std::count(line.begin(), line.end(), L'|') >= 6));
    if (!notice)
        return 0;
    std::wstring_view rest = line;
    const std::wstring* parts[] = {&notice->id, &notice->lastDay, &notice->title,
                                   &notice->link, &notice->text, &notice->picture};
    const std::size_t limits[] = {kNoticeIdMax, kNoticeDayMax, kNoticeTitleMax,
                                  kNoticeUrlMax, kNoticeUrlMax, kNoticeUrlMax};
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t bar = rest.find(L'|');
        CheckCut(*parts[i], rest.substr(0, bar), limits[i]);
        rest = rest.substr(bar + 1);
    }
    FUZZ_CHECK(notice->showings >= 0 && notice->showings <= 100);
    if (!rest.empty() && rest[0] >= L'1' && rest[0] <= L'9')
        FUZZ_CHECK(notice->showings > 0);

    const NoticeForm form = ChooseNoticeForm(*notice);
    FUZZ_CHECK((form == NoticeForm::TextOnly) == notice->picture.empty());
    const std::wstring label = NoticeLabelText(notice->text, form);
    FUZZ_CHECK(label.size() >= 3 && label.compare(label.size() - 3, 3, L"...") == 0);
    CheckCut(label.substr(0, label.size() - 3), notice->text, form == NoticeForm::TextOnly ? 71 : 54);

    // The shell is handed only web addresses.
    if (IsNoticeLinkOpenable(notice->link)) {
        std::wstring scheme = notice->link.substr(0, 8);
        std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](wchar_t c) {
            return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
        });
        FUZZ_CHECK(scheme.rfind(L"http://", 0) == 0 || scheme.rfind(L"https://", 0) == 0);
    }
    return 0;
}
