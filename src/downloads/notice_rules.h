// The notice the portal publishes for the launcher: one line of seven "|"
// separated fields, whether it may be shown (its last day, what the player did
// with it before), which of the three forms it takes and where its labels go,
// and which pictures and links it may bring. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/display_scale.h"

namespace ovn::downloads {

// What each field may hold, terminator not counted.
inline constexpr std::size_t kNoticeIdMax = 31;
inline constexpr std::size_t kNoticeDayMax = 31;
inline constexpr std::size_t kNoticeTitleMax = 63;
inline constexpr std::size_t kNoticeUrlMax = 511;  // link, text and picture URL

struct NoticeFields {
    std::wstring id;
    std::wstring lastDay;  // "YYYY-MM-DD", maybe followed by a blank and anything
    std::wstring title;
    std::wstring link;
    std::wstring text;
    std::wstring picture;
    int showings = 0;  // how many times this run of the launcher shows it
};

// The notice as it counts: the downloaded text up to its first NUL, carriage
// return or line feed. It is one line, and it is stored whole in Statistic.ini,
// where a line break would start keys of its own.
std::wstring NoticeLine(std::wstring_view body);

// Splits the line into its fields; nothing when one of the six "|" is missing.
// A field longer than its buffer is cut there (never inside a surrogate pair);
// the showings are the leading digits of the rest (none: 0), at most 100.
std::optional<NoticeFields> SplitNotice(std::wstring_view line);

// Negative, 0 or positive as today is before, on or after the last day, both
// "year-month-day" (anything after a blank ignored). A last day that is not
// such a date (a part missing, empty, not all digits, a year or month of more
// than 7 digits, more than 15 characters before the blank) compares as passed,
// so such a notice is never shown.
int CompareDates(std::wstring_view lastDay, std::wstring_view today);

// "YYYY-MM-DD" for a local date.
std::wstring FormatDay(int year, int month, int day);

// Whether a fetched notice may be shown, given what Statistic.ini holds: a new
// text (not containing the stored PopInfo) may; the stored one may unless the
// player closed or clicked it (PopEnable exactly "0").
bool ShouldShowNotice(std::wstring_view line, std::wstring_view popInfo, std::wstring_view popEnable);

enum class NoticeForm { PictureAndText, PictureOnly, TextOnly };
NoticeForm ChooseNoticeForm(const NoticeFields& fields);

struct NoticeBox {  // client pixels
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const NoticeBox&) const = default;
};

// Where a form puts its labels in a client area of w x h, in the pixels of a
// window at the given scale. A label the form does not use is not placed (and
// is hidden). The frame's spacing stays at 100 %: the frame scales it itself.
struct NoticeLayout {
    int captionHeight = 0, borderWidth = 0, buttonRightMargin = 0, buttonTop = 0, buttonGap = 0;
    bool layered = false;          // the picture-only frame is shaped by its key colour
    bool pictureInPictureLabel = false;
    bool pictureInTextLabel = false;  // the picture-only form shows it in the text label
    std::optional<NoticeBox> picture, title, text, link;
};
NoticeLayout LayoutNotice(NoticeForm form, int clientWidth, int clientHeight, DisplayScale scale = {});

// The text label's text: the notice's text cut to 54 characters (picture and
// text) or 71 (text only), on a whole character, and "..." after it always.
std::wstring NoticeLabelText(std::wstring_view text, NoticeForm form);

// A link the shell may open: http or https only, never a file or a program.
bool IsNoticeLinkOpenable(std::wstring_view link);

// Pictures: at most 8 MB and 4096 pixels a side, a JPEG or PNG by its own
// header. The size the header announces, or nothing when it is neither or
// does not say.
inline constexpr std::uint64_t kNoticePictureMaxBytes = 8u << 20;
inline constexpr int kNoticePictureMaxSide = 4096;
struct PictureSize {
    int width = 0, height = 0;
};
std::optional<PictureSize> PictureDimensions(std::span<const std::uint8_t> bytes);
bool IsNoticePictureAcceptable(std::span<const std::uint8_t> bytes);

}  // namespace ovn::downloads
