#include "downloads/notice_rules.h"

#include <algorithm>

#include "browser/url.h"
#include "common/text.h"
#include "res/skin_ids.h"

namespace ovn::downloads {

namespace {

// At most max characters of text, one fewer when the last would be the first
// half of a surrogate pair.
std::wstring CutWhole(std::wstring_view text, std::size_t max) {
    std::size_t n = std::min(text.size(), max);
    if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF)
        --n;
    return std::wstring(text.substr(0, n));
}

struct Day {
    long long year = 0, month = 0, day = 0;
};

std::optional<Day> ReadDay(std::wstring_view text) {
    constexpr std::size_t kDateMax = 15, kPartMax = 7;
    text = text.substr(0, text.find(L' '));
    if (text.size() > kDateMax)
        return std::nullopt;
    const std::size_t first = text.find(L'-');
    if (first == std::wstring_view::npos)
        return std::nullopt;
    const std::size_t second = text.find(L'-', first + 1);
    if (second == std::wstring_view::npos)
        return std::nullopt;
    auto year = ReadDigits(text.substr(0, first), kPartMax);
    auto month = ReadDigits(text.substr(first + 1, second - first - 1), kPartMax);
    auto day = ReadDigits(text.substr(second + 1), kPartMax);
    if (!year || !month || !day)
        return std::nullopt;
    return Day{*year, *month, *day};
}

std::uint32_t BigEndian(std::span<const std::uint8_t> b, std::size_t at, std::size_t n) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
        v = (v << 8) | b[at + i];
    return v;
}

std::optional<PictureSize> PngSize(std::span<const std::uint8_t> b) {
    // Signature, then the IHDR chunk: length 13, type, width, height.
    static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (b.size() < 24 || !std::equal(std::begin(kSignature), std::end(kSignature), b.begin()))
        return std::nullopt;
    if (BigEndian(b, 8, 4) != 13 || b[12] != 'I' || b[13] != 'H' || b[14] != 'D' || b[15] != 'R')
        return std::nullopt;
    const std::uint32_t w = BigEndian(b, 16, 4), h = BigEndian(b, 20, 4);
    if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF)
        return std::nullopt;
    return PictureSize{static_cast<int>(w), static_cast<int>(h)};
}

std::optional<PictureSize> JpegSize(std::span<const std::uint8_t> b) {
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8)
        return std::nullopt;
    // Walks the segments up to the first frame header, which holds the size.
    std::size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF)
            return std::nullopt;
        const std::uint8_t marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;  // no length
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA)
            return std::nullopt;  // image data or its end before any frame header
        const std::size_t length = BigEndian(b, at + 2, 2);
        if (length < 2)
            return std::nullopt;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || at + 9 > b.size())
                return std::nullopt;
            const int h = static_cast<int>(BigEndian(b, at + 5, 2)), w = static_cast<int>(BigEndian(b, at + 7, 2));
            if (w == 0 || h == 0)
                return std::nullopt;
            return PictureSize{w, h};
        }
        at += 2 + length;
    }
    return std::nullopt;
}

}  // namespace

std::wstring NoticeLine(std::wstring_view body) {
    return std::wstring(body.substr(0, body.find_first_of(std::wstring_view(L"\0\r\n", 3))));
}

std::optional<NoticeFields> SplitNotice(std::wstring_view line) {
    NoticeFields f;
    std::wstring* fields[] = {&f.id, &f.lastDay, &f.title, &f.link, &f.text, &f.picture};
    const std::size_t limits[] = {kNoticeIdMax, kNoticeDayMax, kNoticeTitleMax,
                                  kNoticeUrlMax, kNoticeUrlMax, kNoticeUrlMax};
    std::wstring_view rest = line;
    for (std::size_t i = 0; i < 6; ++i) {
        const std::size_t bar = rest.find(L'|');
        if (bar == std::wstring_view::npos)
            return std::nullopt;
        *fields[i] = CutWhole(rest.substr(0, bar), limits[i]);
        rest = rest.substr(bar + 1);
    }
    constexpr int kMaxShowings = 100;
    int showings = 0;
    for (wchar_t c : rest) {
        if (c < L'0' || c > L'9')
            break;
        showings = std::min(showings * 10 + (c - L'0'), kMaxShowings);
    }
    f.showings = showings;
    return f;
}

int CompareDates(std::wstring_view lastDay, std::wstring_view today) {
    const auto last = ReadDay(lastDay);
    const auto now = ReadDay(today);
    if (!last || !now)
        return 1;
    if (now->year != last->year)
        return now->year > last->year ? 1 : -1;
    if (now->month != last->month)
        return now->month > last->month ? 1 : -1;
    if (now->day != last->day)
        return now->day > last->day ? 1 : -1;
    return 0;
}

std::wstring FormatDay(int year, int month, int day) {
    wchar_t text[32] = {};
    swprintf(text, 32, L"%04d-%02d-%02d", year, month, day);
    return text;
}

bool ShouldShowNotice(std::wstring_view line, std::wstring_view popInfo, std::wstring_view popEnable) {
    if (line.empty())
        return false;
    if (popInfo.empty() || line.find(popInfo) == std::wstring_view::npos)
        return true;
    return popEnable != L"0";
}

NoticeForm ChooseNoticeForm(const NoticeFields& fields) {
    if (fields.picture.empty())
        return NoticeForm::TextOnly;
    return fields.text.empty() ? NoticeForm::PictureOnly : NoticeForm::PictureAndText;
}

namespace {

// A box from its edges, in pixels.
NoticeBox Edges(int left, int top, int right, int bottom) { return {left, top, right - left, bottom - top}; }

}  // namespace

NoticeLayout LayoutNotice(NoticeForm form, int cw, int ch, DisplayScale scale) {
    NoticeLayout l;
    // Places at 100 %: the edges from the left and top are scaled, and so are
    // the distances of the edges that follow the client's right and bottom.
    auto px = [scale](int v) { return scale.Px(v); };
    switch (form) {
    case NoticeForm::PictureAndText:
        l.borderWidth = l.buttonRightMargin = l.buttonTop = 3;
        l.pictureInPictureLabel = true;
        l.picture = Edges(px(NOTICE_PICTURE_LEFT), px(NOTICE_PICTURE_TOP), px(NOTICE_PICTURE_LEFT + NOTICE_PICTURE_WIDTH),
                          px(NOTICE_PICTURE_TOP + NOTICE_PICTURE_HEIGHT));
        l.title = Edges(px(100), px(48), cw - px(20), px(48 + 15));
        l.text = Edges(px(100), px(68), cw - px(16), px(68 + 13));
        l.link = Edges(px(195), px(168), px(195 + 42), px(168 + 13));
        break;
    case NoticeForm::PictureOnly:
        l.buttonTop = 1;
        l.layered = true;
        l.pictureInTextLabel = true;
        l.text = Edges(px(-3), px(22), cw, ch);
        break;
    case NoticeForm::TextOnly:
        l.borderWidth = l.buttonRightMargin = l.buttonTop = 3;
        l.title = Edges(0, px(45), cw, px(45 + 15));
        l.text = Edges(px(18), px(65), cw - px(16), px(65 + 13));
        l.link = Edges(px(195), px(145), px(195 + 42), px(145 + 13));
        break;
    }
    return l;
}

std::wstring NoticeLabelText(std::wstring_view text, NoticeForm form) {
    const std::size_t cut = form == NoticeForm::TextOnly ? 71 : 54;
    return CutWhole(text, cut) + L"...";
}

bool IsNoticeLinkOpenable(std::wstring_view link) { return browser::IsHttpUrl(link); }

std::optional<PictureSize> PictureDimensions(std::span<const std::uint8_t> bytes) {
    if (auto png = PngSize(bytes))
        return png;
    return JpegSize(bytes);
}

bool IsNoticePictureAcceptable(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > kNoticePictureMaxBytes)
        return false;
    auto size = PictureDimensions(bytes);
    return size && size->width <= kNoticePictureMaxSide && size->height <= kNoticePictureMaxSide;
}

}  // namespace ovn::downloads
