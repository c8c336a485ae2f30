#include "gamepage/game_page_rules.h"

#include "browser/web_events.h"
#include "common/protocol.h"

namespace ovn::gamepage {

bool IsHallPage(std::wstring_view startUrl, std::wstring_view hallUrl) { return startUrl == hallUrl; }

std::intptr_t AdoptionLParam(std::wstring_view startUrl, std::wstring_view hallUrl) {
    return IsHallPage(startUrl, hallUrl) ? 1 : 0;
}

std::uint32_t GamePageHostFlags(std::uint32_t flags, std::wstring_view startUrl, std::wstring_view hallUrl) {
    return IsHallPage(startUrl, hallUrl) ? flags : (flags | browser::kHostFlagNo3DBorder | browser::kHostFlagScrollNo);
}

namespace {

bool IsPlainF5(const HotkeySetting& k) { return k.key == static_cast<int>(kVkF5) && k.modifiers == 0; }

}  // namespace

FrameAction DecideFrameMessage(const InputMessage& m, const FrameHotkeys& keys, bool haveView) {
    const bool keyDown = m.message == kWmKeyDown || m.message == kWmSysKeyDown;
    if (keyDown && m.lParam != CloseMarker && keys.windowSwitch.Matches(m.wParam, m.modifiers))
        return FrameAction::ForwardToLauncher;

    if (IsCtrlDAsTyped(m.message, m.wParam, m.lParam))
        return FrameAction::AddFavourite;

    if (m.message == kWmKeyDown && m.wParam == kVkF5) {
        // F5 belongs to the page unless the player made plain F5 the boss or sound
        // key; the launcher's own refresh (CloseMarker) always goes through.
        bool refresh = m.lParam == CloseMarker || (!IsPlainF5(keys.boss) && !IsPlainF5(keys.sound));
        return refresh && haveView ? FrameAction::RefreshPage : FrameAction::Swallow;
    }

    if (m.message == kWmSysCommand && (m.wParam & 0xFFF0) == kScClose)
        return FrameAction::SweepThenStandard;
    return FrameAction::Standard;
}

bool MuteLatch::Update(std::uintptr_t flag) {
    bool muted = flag != 0;
    if (last_ && *last_ == muted)
        return false;
    last_ = muted;
    return true;
}

}  // namespace ovn::gamepage
