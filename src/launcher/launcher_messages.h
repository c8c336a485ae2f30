// Every message number and timer id the launcher window answers, in one place.
// Those another process sends are the protocol's (common/protocol.h) and keep
// their numbers; the rest the launcher posts to itself, or the system and its
// workers post for it. The tables below must hold different numbers: a new one
// that takes an old one's number does not compile.
#pragma once
#include <windows.h>

#include "common/message_table.h"
#include "common/protocol.h"
#include "framework/worker.h"

namespace ovn {

// The tray icon's mouse messages (wParam the icon id, lParam the mouse message).
constexpr UINT kMsgTrayCallback = WM_USER + 1;
// Posted by the tray callback so the tray menu opens outside of it.
constexpr UINT kMsgShowTrayMenu = WM_USER + 3;
// Posted to itself by the keyboard hook: a boss key is waiting (see RunPendingHideToggles).
constexpr UINT kMsgHookHideToggle = WM_APP + 40;
// Posted to itself by a click on the "系统" button: the menu opens once the
// button has finished its click (its mouse capture and state are settled).
constexpr UINT kMsgShowSystemMenu = WM_APP + 43;
// Posted to itself when the launcher is shown again while the answer of a
// check that found nothing meanwhile is waiting.
constexpr UINT kMsgUpdateAnswerWaiting = WM_APP + 45;
// Posted to itself when the launcher is shown again while the message of a
// clearing that finished meanwhile is waiting.
constexpr UINT kMsgCachesClearedNotice = WM_APP + 47;

// The launcher's workers (the update check, cache clearing) are the framework's,
// whose end reaches the launcher as fw::kMsgWorkerDone.
inline constexpr UINT kLauncherMessages[] = {
    kMsgTrayCallback,   kMsgAdoptFrame,          kMsgShowTrayMenu,        kMsgHotkeysChanged,
    kMsgOtherAccount,   kMsgLoginShown,          kMsgHookHideToggle,      kMsgShowSystemMenu,
    kMsgUpdateAnswerWaiting, kMsgCachesClearedNotice, fw::kMsgWorkerDone,
};
static_assert(AllDifferent(kLauncherMessages), "two of the launcher window's messages share a number");

// Timers of the launcher window.
constexpr UINT_PTR kTimerSound = 3;         // 400 ms from the first page: sound state, button images
constexpr UINT_PTR kTimerNotice = 4;        // the notice pop-up, once, a while after the first page arrived
constexpr UINT_PTR kTimerClearCache = 7;    // cache clearing, as the menu item does (nothing starts it)
constexpr UINT_PTR kTimerPendingWatch = 8;  // a page still logging in has not died silently
constexpr UINT_PTR kTimerTrayIcon = 9;      // adds the tray icon: after the first paint with a page,
                                            // and again after the system refused an add
constexpr UINT_PTR kTimerPageKeyboard = 10;  // the page shown last gets the keyboard once it is on screen
constexpr UINT kPageKeyboardCheckMs = 15;
constexpr int kPageKeyboardChecks = 200;      // about three seconds for a busy page to show itself
constexpr int kPageKeyboardRetryChecks = 10;  // handed over again after 150 ms with nobody in front

inline constexpr UINT_PTR kLauncherTimers[] = {kTimerSound, kTimerNotice, kTimerClearCache, kTimerPendingWatch,
                                               kTimerTrayIcon, kTimerPageKeyboard};
static_assert(AllDifferent(kLauncherTimers), "two of the launcher window's timers share an id");

}  // namespace ovn
