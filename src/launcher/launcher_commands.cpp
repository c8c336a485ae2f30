// What the launcher is asked to do beside its pages: the system menu under the
// "系统" button, the tray icon with its clicks and its menu, and what each item
// does (the items and the decisions are menu_rules.h's): cache clearing and the
// update check, each on a worker (framework/worker.h) whose end comes back here
// and is answered once the work is done, because this thread runs the
// system-wide keyboard hook and the system drops a hook that does not answer in
// time (the boss and sound keys would be gone until the next start while the
// portal is slow or the program file is hashed). And the notice pop-up, which
// timer 4 opens once per launcher a few seconds after the first page arrived,
// so that it comes over a game already on screen and not over the login.
#include <algorithm>

#include "browser/cache_clearing.h"
#include "common/log.h"
#include "common/protocol.h"
#include "launcher/kelvor3_dlg.h"
#include "launcher/menu_rules.h"
#include "settings/hotkey_store.h"
#include "settings/setting_dlg.h"
#include "skin/message_box.h"

namespace ovn {

namespace {

struct MenuTraits {
    using Handle = HMENU;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DestroyMenu(h); }
};
using PopupMenu = fw::UniqueHandle<MenuTraits>;

// Item 2 names the boss key as it is stored at the moment the menu opens.
PopupMenu BuildMenu(launcher::MenuKind kind) {
    PopupMenu menu(::CreatePopupMenu());
    if (!menu)
        return menu;
    for (const launcher::MenuItem& item : launcher::MenuItems(kind, settings::ReadHotkeySetting(HotkeyId::Boss))) {
        if (item.separator)
            ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuW(menu.get(), MF_STRING, item.id, item.text.c_str());
    }
    return menu;
}

// The chosen item's id, 0 when the menu was dismissed.
unsigned TrackMenu(const PopupMenu& menu, UINT align, POINT at, HWND owner) {
    if (!menu)
        return 0;
    return static_cast<unsigned>(::TrackPopupMenu(menu.get(), align | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr));
}

}  // namespace

void CKelvor3Dlg::SetTrayIcon(bool add) {
    if (add)
        m_trayIcon.Add(hwnd(), m_hIcon);
    else
        m_trayIcon.Remove();
}

void CKelvor3Dlg::OnTrayNotify(WPARAM id, LPARAM mouseMessage) {
    // Only our icon's clicks, and only while it is there.
    if (!m_trayIcon.Active() || id != 1)
        return;
    switch (launcher::DecideTrayMessage(static_cast<std::uintptr_t>(mouseMessage))) {
    case launcher::TrayAction::HideRestore:
        ToggleHideAll();
        break;
    case launcher::TrayAction::OpenMenu:
        ::PostMessageW(hwnd(), kMsgShowTrayMenu, 0, 0);
        break;
    case launcher::TrayAction::None:
        break;
    }
}

void CKelvor3Dlg::ShowSystemMenu() {
    if (m_bMenuOpen || !launcher::TitleCommandAllowed(IDC_BTN_MENU, Slots().AnyArrived()))
        return;
    RECT button{};
    ::GetWindowRect(m_btnMenu.hwnd(), &button);
    const PopupMenu menu = BuildMenu(launcher::MenuKind::System);
    // The click on the button may have left the focus with the page shown (a
    // window of another process): the menu takes its input from the launcher.
    ::SetForegroundWindow(hwnd());
    m_bMenuOpen = true;
    const unsigned id = TrackMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, POINT{button.left, button.bottom + 2}, hwnd());
    m_bMenuOpen = false;
    RunMenuCommand(launcher::MenuKind::System, id);
}

void CKelvor3Dlg::ShowTrayMenu() {
    // One menu at a time: the open one's loop delivers the requests for more.
    if (!m_trayIcon.Active() || m_bMenuOpen)
        return;
    const PopupMenu menu = BuildMenu(launcher::MenuKind::Tray);
    // A menu whose owner is not in front would not close when the player clicks elsewhere.
    ::SetForegroundWindow(hwnd());
    POINT at{};
    ::GetCursorPos(&at);
    m_bMenuOpen = true;
    const unsigned id = TrackMenu(menu, TPM_BOTTOMALIGN | TPM_RIGHTALIGN, at, hwnd());
    m_bMenuOpen = false;
    ::PostMessageW(hwnd(), WM_NULL, 0, 0);  // lets the system finish the menu's switch of focus
    RunMenuCommand(launcher::MenuKind::Tray, id);
}

void CKelvor3Dlg::RunMenuCommand(launcher::MenuKind kind, unsigned id) {
    switch (launcher::DecideMenuCommand(kind, id)) {
    case launcher::MenuCommand::Refresh:
        // Marked as ours, so the page refreshes even when F5 is one of the hotkeys.
        ::PostMessageW(hwnd(), WM_KEYDOWN, VK_F5, CloseMarker);
        break;
    case launcher::MenuCommand::HideRestore:
        ToggleHideAll();
        break;
    case launcher::MenuCommand::ClearCache:
        StartCacheClearing();
        break;
    case launcher::MenuCommand::Update:
        StartUpdateCheck();  // its answer comes back from the worker (below)
        break;
    case launcher::MenuCommand::Settings:
        OpenSettings();
        break;
    case launcher::MenuCommand::Quit:
        ExitLauncher();  // from the tray: no question
        break;
    case launcher::MenuCommand::None:
        break;
    }
}

void CKelvor3Dlg::OpenSettings() {
    if (settings::OpenSettingsDialog)
        return;  // one is open already (the tray menu works while it is)
    // The dialog is OpenSettingsDialog while its window is open: the boss key cancels it.
    settings::CSettingDlg dialog;
    dialog.DoModal(hwnd());
}

void CKelvor3Dlg::StartCacheClearing() {
    if (!m_clearingTurns.Request()) {
        LogFailure(L"cache clearing asked for while it runs: no second one", 0);
        return;  // its message comes when the running one has finished
    }
    const bool started = m_cacheWorker.Start(hwnd(), [where = browser::CacheLocations::OfThisUser()](
                                                          fw::WorkerTask& task) -> WPARAM {
        browser::ClearCaches(where, task.CancelFlag());
        return 0;
    });
    if (!started) {
        LogFailure(L"cache clearing: the worker thread cannot start", ::GetLastError());
        m_clearingTurns.Abandon();
    }
}

bool CKelvor3Dlg::HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kMsgTrayCallback:
        OnTrayNotify(wParam, lParam);
        return true;
    case kMsgShowTrayMenu:
        ShowTrayMenu();
        return true;
    case kMsgShowSystemMenu:
        ShowSystemMenu();
        return true;
    }
    return false;
}

void CKelvor3Dlg::ShowCachesClearedMessage() { skin::ShowMessageBox(0, L"QuenraOrvane", L"缓存清除完毕！", hwnd()); }

void CKelvor3Dlg::StartUpdateCheck() {
    // One check at a time: the running one answers for this request too.
    if (!m_updateTurns.Request()) {
        LogFailure(L"update check asked for while one runs: no second one", 0);
        return;
    }
    const bool started = m_updateWorker.Start(hwnd(), [this](downloads::DownloadTask& task) -> WPARAM {
        return downloads::CheckForUpdateFromMenu(m_updater, &task.Handles()) != 0 ? 1 : 0;
    });
    if (!started)
        m_updateTurns.Abandon();
}

void CKelvor3Dlg::AnswerUpdateCheck(WPARAM found) {
    if (found != 0) {
        m_updateTurns.Abandon();
        if (downloads::AnswerUpdateFromMenu(1, hwnd()))
            ExitLauncher();  // "/update" runs: it replaces this copy and starts the new one
        return;
    }
    // Nothing new: said now, or once the boss key brings the launcher back.
    if (m_updateTurns.Finished(::IsWindowVisible(hwnd()) != FALSE))
        downloads::AnswerUpdateFromMenu(0, hwnd());
}

bool CKelvor3Dlg::HandleWorkerMessage(UINT msg) {
    switch (msg) {
    case fw::kMsgWorkerDone:
        // Only a worker's own word counts: the one that has ended gives its result.
        if (m_cacheWorker.TakeResult() && m_clearingTurns.Finished(::IsWindowVisible(hwnd()) != FALSE))
            ShowCachesClearedMessage();
        if (const auto found = m_updateWorker.TakeResult())
            AnswerUpdateCheck(*found);
        return true;
    case kMsgCachesClearedNotice:
        // The launcher was hidden when the clearing finished; it is back now.
        if (::IsWindowVisible(hwnd()) && m_clearingTurns.Shown())
            ShowCachesClearedMessage();
        return true;
    case kMsgUpdateAnswerWaiting:
        if (::IsWindowVisible(hwnd()) && m_updateTurns.Shown())
            downloads::AnswerUpdateFromMenu(0, hwnd());
        return true;
    }
    return false;
}

void CKelvor3Dlg::ShowNoticePopup() { m_popInfoDlg.OpenOnce(hwnd()); }

}  // namespace ovn
