// The roles of a process and the launcher/game-page message protocol.
// Platform-free: message numbers are spelled out so rules can use them natively.
#pragma once
#include <cstdint>
#include <string_view>

namespace ovn {

enum StartMode : int {
    ModeInstall = 0,
    ModePortal = 1,
    ModeShortcut = 2,
    ModeLauncher = 3,
    ModeRemove = 4,
    ModeUpdate = 5,
    ModeGamePage = 6,
    ModeGameHall = 7,
};

// The switches that choose a role, compared without regard to case: written by
// the shortcuts and by the launcher for its children, read by the start-up.
inline constexpr std::wstring_view kSwitchPortal = L"/webQuenraD";
inline constexpr std::wstring_view kSwitchShortcut = L"/OvnD";
inline constexpr std::wstring_view kSwitchRemove = L"/uninst";
inline constexpr std::wstring_view kSwitchUpdate = L"/update";
inline constexpr std::wstring_view kSwitchGamePage = L"/newgm";
inline constexpr std::wstring_view kSwitchGameHall = L"/gmhall";

// lParam of the messages the launcher and its pages send on each other's behalf,
// so they are never taken for something the player did.
constexpr std::intptr_t CloseMarker = 9157;

constexpr unsigned kWmUser = 0x0400;
constexpr unsigned kMsgAdoptFrame = kWmUser + 2;      // page/hall -> launcher, lParam 1 = hall
constexpr unsigned kMsgHotkeysChanged = kWmUser + 4;  // settings dialog -> every launcher
constexpr unsigned kMsgSoundState = kWmUser + 5;      // launcher -> pages, wParam 1 = silenced
constexpr unsigned kMsgOtherAccount = kWmUser + 6;    // add-account prompt -> launcher
constexpr unsigned kMsgReloadHotkeys = kWmUser + 7;   // launcher -> pages and hall
constexpr unsigned kMsgLoginShown = kWmUser + 8;      // page -> launcher, its token's halves (page_token.h)

// The character the launcher posts as WM_CHAR to ask a page to add a favourite.
constexpr unsigned kCharAddFavourite = 4;

constexpr int kMaxPages = 3;

}  // namespace ovn
