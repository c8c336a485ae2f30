// The rules of our page-only dialogs: which page events drag the window, how the
// three-frame sprite buttons of a page change their picture and click, and which
// navigations the dialog keeps for itself. Platform-free: the dialog asks these
// rules and carries out the answer on the browser's elements.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace ovn::browser {

// "app:" URLs are the page talking to the program: they never leave the page.
// Exactly these four characters, in small letters.
bool IsAppUrl(std::wstring_view url);

enum class CancelFlag {
    Set,    // cancel the navigation
    Clear,  // let it run, whatever the browser proposed
    Keep,   // leave the flag as the browser passed it
};
// What the page-only dialog does with a navigation about to start.
CancelFlag AppUrlFilter(std::wstring_view url);

// The page events the dialogs listen to.
enum class PageEvent { MouseOut, MouseOver, MouseDown, MouseUp, MouseMove, ContextMenu };

// The event's dispatch identifier as the browser reports it; nothing for others.
std::optional<PageEvent> PageEventFromDispId(std::int32_t dispId);

enum class PageAction {
    None,           // not ours: the page's default action goes ahead
    Cancel,         // ours, nothing to do but cancel the page's default action
    ButtonNormal,   // the sprite button events below
    ButtonHover,
    ButtonPress,
    ButtonMouseUp,
    DragStart,      // WM_NCLBUTTONDOWN, HTCAPTION, cursor position
    DragEnd,        // WM_NCLBUTTONUP
    DragMove,       // WM_NCMOUSEMOVE
};
// Every action but None cancels the page's default action for the event.

// The base page-only dialog: an element whose class attribute is exactly "button"
// is a sprite button; body, td and div (any case) drag the window and show no
// context menu. A button that is also a div is a button.
PageAction DhtmDlgExAction(PageEvent event, std::wstring_view tagName, std::wstring_view className);

// The login page: no sprite buttons; body, td and div drag the login background,
// except over the page's own corner controls (see LoginDragExcluded), where the
// event is only cancelled.
PageAction LoginPageAction(PageEvent event, std::wstring_view tagName, int clientX, int clientY);

// The rectangle of the login page, in its client coordinates, that never drags:
// x 828 to 876 and y 88 to 118, both ends included.
bool LoginDragExcluded(int clientX, int clientY);

// ---- Sprite buttons --------------------------------------------------------
// A button's background is a horizontal strip of three frames, each as wide as
// the element: normal, hover, pressed.
enum class ButtonFrame { Normal, Hover, Pressed };

// The background X position that shows a frame.
int SpriteOffsetX(ButtonFrame frame, int width);

struct ButtonEffect {
    std::optional<ButtonFrame> frame;  // frame to show; nothing leaves the picture as it is
    bool press = false;  // remember this element as the pressed one (forgetting any
                         // earlier one) and capture the mouse to the dialog
    bool click = false;  // then call the element's click()
    bool operator==(const ButtonEffect&) const = default;
};

// The effect of a button event (ButtonNormal, ButtonHover, ButtonPress or
// ButtonMouseUp) on an element. captureHeld: the dialog holds the mouse capture,
// i.e. some button is pressed; disabled: the element's "disabled" attribute reads
// as true. While a button is pressed no other button changes its picture.
ButtonEffect ButtonEventEffect(PageAction action, bool disabled, bool captureHeld);

// The element's box from its offset left, top, width and height.
struct ElementBox {
    int left = 0, top = 0, width = 0, height = 0;
};
// Left and top edges inside, right and bottom edges outside.
bool BoxContains(const ElementBox& box, int x, int y);

// A left or right button release while the dialog holds the capture ends the
// press of the remembered element: released over it, hover and click; elsewhere,
// back to normal without a click. The caller releases the capture first and
// forgets the element afterwards.
ButtonEffect ButtonReleaseEffect(const ElementBox& box, int clientX, int clientY, bool disabled);

// The client point of a mouse message's lParam: signed, since a release with the
// capture held may come from left of or above the window.
struct ClientPoint {
    int x = 0, y = 0;
    bool operator==(const ClientPoint&) const = default;
};
ClientPoint PointFromLParam(std::intptr_t lParam);

}  // namespace ovn::browser
