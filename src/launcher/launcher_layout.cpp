#include "launcher/launcher_layout.h"

#include <algorithm>

#include "res/resource.h"

namespace ovn::launcher {

SizeClamp ClampWindowSize(std::size_t pages, int width, int height) {
    if (pages == 0)
        return {false, width, height};
    const int minWidth = kMinWidthBase + kTabWidth * static_cast<int>(pages);
    if (width >= minWidth && height >= kMinHeight)
        return {false, width, height};
    return {true, std::max(width, minWidth), std::max(height, kMinHeight)};
}

std::array<TitleControlPlace, 5> TitleStripLayout(int clientWidth) {
    return {{
        {IDC_BTN_HIDE, {clientWidth - 114, 0, 27, 27}},
        {IDC_BTN_SOUND, {clientWidth - 141, 0, 27, 27}},
        {IDC_BTN_MENU, {clientWidth - 185, 0, 44, 28}},
        {IDC_BTN_HALL, {clientWidth - 264, 0, 79, 28}},
        {IDC_LNK_OTHER_ACCOUNT, {clientWidth - 360, 7, 92, 16}},
    }};
}

}  // namespace ovn::launcher
