// How the launcher holds its pages and the hall, windows of other processes.
// On Windows a page becomes a child of the launcher window. Under Wine a child
// window of another process is never drawn (Wine paints a window only through a
// top-level window of its own process), so there a page stays a top-level
// pop-up owned by the launcher, without a taskbar button, laid exactly over the
// page area. The launcher and its page processes take the same decision from
// the same inputs: the system, and OVN_PAGE_HOSTING ("child" or "owned"), which
// is heard only under Wine so that tests there can take either way.
#pragma once
#include <string_view>

#include "common/page_area.h"

namespace ovn {

enum class PageHosting { Child, Owned };

// Platform-free.
PageHosting ChoosePageHosting(bool underWine, std::string_view setting);

// Where a page window goes for a page area given in the launcher's client
// coordinates: there for a child; moved by the client area's screen origin for
// an owned window, which is placed in screen coordinates.
Box HostedPageBox(PageHosting hosting, const Box& area, int clientScreenX, int clientScreenY);

// This process's way, decided once (Win32).
PageHosting PageHostingHere();

}  // namespace ovn
