#include "launcher/launcher_layout.h"

#include <algorithm>

#include "res/resource.h"

namespace ovn::launcher {

SizeClamp ClampWindowSize(std::size_t pages, int width, int height, DisplayScale scale) {
    if (pages == 0)
        return {false, width, height};
    const int minWidth = scale.Px(kMinWidthBase + kTabWidth * static_cast<int>(pages));
    const int minHeight = scale.Px(kMinHeight);
    if (width >= minWidth && height >= minHeight)
        return {false, width, height};
    return {true, std::max(width, minWidth), std::max(height, minHeight)};
}

std::array<TitleControlPlace, 5> TitleStripLayout(int clientWidth, DisplayScale scale) {
    // A control `fromRight` pixels (at 100 %) left of the right edge, w x h.
    auto place = [&](int id, int fromRight, int top, int w, int h) {
        const int left = clientWidth - scale.Px(fromRight);
        return TitleControlPlace{id, {left, scale.Px(top), clientWidth - scale.Px(fromRight - w) - left,
                                      scale.Span(top, h)}};
    };
    return {{
        place(IDC_BTN_HIDE, 114, 0, 27, 27),
        place(IDC_BTN_SOUND, 141, 0, 27, 27),
        place(IDC_BTN_MENU, 185, 0, 44, 28),
        place(IDC_BTN_HALL, 264, 0, 79, 28),
        place(IDC_LNK_OTHER_ACCOUNT, 360, 7, 92, 16),
    }};
}

}  // namespace ovn::launcher
