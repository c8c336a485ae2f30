// The benchmark's tab switch: a second account logged in as a second tab, then
// mouse clicks on the two tabs in turn.
#pragma once
#include <windows.h>

#include <vector>

namespace bench {

// Logs a second account in beside the launcher's one page (asked for as the
// add-account prompt does, a server picked with the mouse as a player would),
// then clicks the tabs in turn, clicks times: the milliseconds from each click
// until that tab's page is shown and the other hidden. Empty, and said on the
// output, when the second tab could not be made or a click showed nothing.
std::vector<double> TimeTabClicks(HWND launcher, int clicks);

}  // namespace bench
