// Any text the message box is asked to show (page and portal texts included),
// fitted into a work area: no row is wider than the room unless it is a single
// character, no more rows than fit, a cut text ends with "…", no surrogate pair
// is split, and the buttons lie inside the box. Input: 2 bytes of work-area
// width, 2 of height, 1 of line height, then the text.
#include <algorithm>

#include "fuzz_support.h"
#include "skin/message_box_layout.h"

using namespace ovn::skin;

namespace {

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool Inside(const Rect& r, Size window) {
    return r.left >= 0 && r.top >= 0 && r.right <= window.cx && r.bottom <= window.cy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Size work{static_cast<int>(ovn::fuzz::TakeNumber(data, size, 2)) - 100,
                    static_cast<int>(ovn::fuzz::TakeNumber(data, size, 2)) - 100};
    const int lineHeight = static_cast<int>(ovn::fuzz::TakeNumber(data, size, 1)) % 40;
    const std::wstring text = ovn::fuzz::Text(data, size);
    const TextWidthFn width = [](std::wstring_view s) { return ovn::fuzz::TextWidth(s); };

    const Size strip{300, 30};
    const FittedMessageBox box = FitMessageBox(BoxOkCancel, text, width, lineHeight, strip, work);
    const MessageText& fit = box.text;
    const int maxWidth = work.cx > 0 ? std::max(1, work.cx - kMessageTextMargins) : 0;

    // Every character of a row comes from the text, so a pair in the text stays whole
    // unless the text split it itself.
    bool pairsWhole = true;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsHigh(text[i]) != (i + 1 < text.size() && IsLow(text[i + 1])) || (IsLow(text[i]) && (i == 0 || !IsHigh(text[i - 1]))))
            pairsWhole = false;

    int widest = 0;
    for (std::size_t r = 0; r < fit.rows.size(); ++r) {
        const std::wstring& row = fit.rows[r];
        const int w = ovn::fuzz::TextWidth(row);
        widest = std::max(widest, w);
        const bool oneCharacter = row.size() == 1 || (row.size() == 2 && IsHigh(row[0]));
        const bool cutRow = fit.cut && r + 1 == fit.rows.size();
        if (maxWidth > 0 && !oneCharacter && !(cutRow && row == L"…"))
            FUZZ_CHECK(w <= maxWidth);
        if (pairsWhole && !row.empty())
            FUZZ_CHECK(!IsLow(row.front()) && !IsHigh(row.back()));
        FUZZ_CHECK(row.find(L'\n') == std::wstring::npos);
    }
    FUZZ_CHECK(fit.width == widest);
    FUZZ_CHECK(fit.lines >= static_cast<int>(fit.rows.size()) || fit.rows.empty());
    if (fit.cut)
        FUZZ_CHECK(!fit.rows.empty() && fit.rows.back().ends_with(L"…"));
    FUZZ_CHECK(CountMessageLines(text) >= 1);

    const MessageBoxLayout& layout = box.layout;
    FUZZ_CHECK(layout.window.cx > 0 && layout.window.cy > 0);
    FUZZ_CHECK(Inside(layout.button1, layout.window));
    if (layout.buttonCount == 2)
        FUZZ_CHECK(Inside(layout.button2, layout.window));
    return 0;
}
