// The decisions of the game frame (the window that shows one tab's page inside
// the launcher): where it goes, how it introduces itself to the launcher, what
// its key filter does with each message, when a sound state is applied.
// Platform-free.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/input.h"

namespace ovn::gamepage {

// Timers of the frame.
constexpr unsigned kTimerLauncherAlive = 2;  // repeating: end when the launcher is gone
constexpr unsigned kTimerScriptSweep = 5;    // one shot after a close request
constexpr unsigned kTimerRaiseLauncher = 6;  // one shot after a click into the page
constexpr unsigned kLauncherAliveMs = 800;
constexpr unsigned kScriptSweepMs = 130;
constexpr unsigned kRaiseLauncherMs = 10;

// Size of the frame while it waits for its first page.
constexpr int kInitialFrameSize = 10;

// Window class and captions of the browser's script message boxes, removed when
// the frame is asked to close (a box raised by the page would keep it alive).
constexpr std::wstring_view kScriptBoxClass = L"#32770";
constexpr std::wstring_view kScriptBoxTitles[] = {L"来自网页的消息", L"Windows Internet Explorer",
                                                  L"Microsoft Internet Explorer"};

// The hall is the page whose start URL is exactly the hall page's URL (case and all).
bool IsHallPage(std::wstring_view startUrl, std::wstring_view hallUrl);
// lParam of the adoption message: 1 for the hall, 0 for a game page.
std::intptr_t AdoptionLParam(std::wstring_view startUrl, std::wstring_view hallUrl);
// A game page has no border and no scroll bars; the hall keeps the browser's defaults.
std::uint32_t GamePageHostFlags(std::uint32_t flags, std::wstring_view startUrl, std::wstring_view hallUrl);

struct FrameHotkeys {
    HotkeySetting boss, windowSwitch, sound;
};

enum class FrameAction {
    Standard,           // let it through
    ForwardToLauncher,  // post it unchanged to the launcher, eat it
    AddFavourite,       // open the add-favourite dialog, eat it
    RefreshPage,        // refresh the page, eat it
    Swallow,            // eat it
    SweepThenStandard,  // arm the script-box sweep, then let it through
};

// The frame's filter for every queued message of its thread, before the page sees it.
FrameAction DecideFrameMessage(const InputMessage& msg, const FrameHotkeys& keys, bool haveView);

// The sound state from the launcher arrives every 400 ms; it is applied the first
// time and whenever it changes.
class MuteLatch {
public:
    // True when the flag must be applied now.
    bool Update(std::uintptr_t flag);
    // The flag last applied; none before the first.
    std::optional<bool> Last() const { return last_; }

private:
    std::optional<bool> last_;
};

}  // namespace ovn::gamepage
