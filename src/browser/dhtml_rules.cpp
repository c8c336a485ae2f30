#include "browser/dhtml_rules.h"

#include "common/text.h"

namespace ovn::browser {

namespace {

constexpr std::wstring_view kAppPrefix = L"app:";
constexpr std::wstring_view kJavascriptPrefix = L"javascript";
constexpr std::wstring_view kButtonClass = L"button";

constexpr int kExclusionLeft = 828, kExclusionRight = 876;
constexpr int kExclusionTop = 88, kExclusionBottom = 118;

bool IsDragSurface(std::wstring_view tagName) {
    return EqualsNoCase(tagName, L"body") || EqualsNoCase(tagName, L"td") || EqualsNoCase(tagName, L"div");
}

PageAction DragAction(PageEvent event) {
    switch (event) {
    case PageEvent::MouseDown: return PageAction::DragStart;
    case PageEvent::MouseUp: return PageAction::DragEnd;
    case PageEvent::MouseMove: return PageAction::DragMove;
    default: return PageAction::None;
    }
}

}  // namespace

bool IsAppUrl(std::wstring_view url) { return url.starts_with(kAppPrefix); }

CancelFlag AppUrlFilter(std::wstring_view url) {
    if (IsAppUrl(url))
        return CancelFlag::Set;
    if (url.starts_with(kJavascriptPrefix))
        return CancelFlag::Clear;
    return CancelFlag::Keep;
}

std::optional<PageEvent> PageEventFromDispId(std::int32_t dispId) {
    switch (static_cast<std::uint32_t>(dispId)) {
    case 0x80010009u: return PageEvent::MouseOut;
    case 0x80010008u: return PageEvent::MouseOver;
    default: break;
    }
    switch (dispId) {
    case -605: return PageEvent::MouseDown;
    case -607: return PageEvent::MouseUp;
    case -606: return PageEvent::MouseMove;
    case 1023: return PageEvent::ContextMenu;
    default: return std::nullopt;
    }
}

PageAction DhtmDlgExAction(PageEvent event, std::wstring_view tagName, std::wstring_view className) {
    // The class entries come first: the first matching entry handles the event.
    if (className == kButtonClass) {
        switch (event) {
        case PageEvent::MouseOut: return PageAction::ButtonNormal;
        case PageEvent::MouseOver: return PageAction::ButtonHover;
        case PageEvent::MouseDown: return PageAction::ButtonPress;
        case PageEvent::MouseUp: return PageAction::ButtonMouseUp;
        default: break;
        }
    }
    if (IsDragSurface(tagName)) {
        if (event == PageEvent::ContextMenu)
            return PageAction::Cancel;
        return DragAction(event);
    }
    return PageAction::None;
}

bool LoginDragExcluded(int clientX, int clientY) {
    return clientX >= kExclusionLeft && clientX <= kExclusionRight && clientY >= kExclusionTop &&
           clientY <= kExclusionBottom;
}

PageAction LoginPageAction(PageEvent event, std::wstring_view tagName, int clientX, int clientY) {
    if (!IsDragSurface(tagName))
        return PageAction::None;
    PageAction drag = DragAction(event);
    if (drag == PageAction::None)
        return PageAction::None;
    return LoginDragExcluded(clientX, clientY) ? PageAction::Cancel : drag;
}

int SpriteOffsetX(ButtonFrame frame, int width) {
    switch (frame) {
    case ButtonFrame::Hover: return -width;
    case ButtonFrame::Pressed: return -2 * width;
    default: return 0;
    }
}

ButtonEffect ButtonEventEffect(PageAction action, bool disabled, bool captureHeld) {
    ButtonEffect effect;
    switch (action) {
    case PageAction::ButtonNormal:
        if (!captureHeld)
            effect.frame = ButtonFrame::Normal;
        break;
    case PageAction::ButtonHover:
        if (!captureHeld && !disabled)
            effect.frame = ButtonFrame::Hover;
        break;
    case PageAction::ButtonPress:
        if (!disabled) {
            effect.frame = ButtonFrame::Pressed;
            effect.press = true;
        }
        break;
    case PageAction::ButtonMouseUp:
        // With a press in progress the window's own release ends it and clicks;
        // clicking here as well would click twice.
        if (captureHeld)
            break;
        if (!disabled)
            effect.frame = ButtonFrame::Hover;
        effect.click = true;  // the page decides what a click on a disabled button means
        break;
    default:
        break;
    }
    return effect;
}

bool BoxContains(const ElementBox& box, int x, int y) {
    // In 64 bits: offsets near the int limits must not wrap into a hit.
    long long right = static_cast<long long>(box.left) + box.width;
    long long bottom = static_cast<long long>(box.top) + box.height;
    return x >= box.left && x < right && y >= box.top && y < bottom;
}

ButtonEffect ButtonReleaseEffect(const ElementBox& box, int clientX, int clientY, bool disabled) {
    ButtonEffect effect;
    if (BoxContains(box, clientX, clientY)) {
        if (!disabled)
            effect.frame = ButtonFrame::Hover;
        effect.click = true;
    } else {
        effect.frame = ButtonFrame::Normal;
    }
    return effect;
}

ClientPoint PointFromLParam(std::intptr_t lParam) {
    auto bits = static_cast<std::uint32_t>(static_cast<std::uintptr_t>(lParam));
    return {static_cast<std::int16_t>(bits & 0xFFFF), static_cast<std::int16_t>((bits >> 16) & 0xFFFF)};
}

}  // namespace ovn::browser
