#include "launcher/tray_icon.h"

#include <shellapi.h>

#include <cwchar>

#include "common/log.h"

namespace ovn {

namespace {

constexpr UINT kTrayIconId = 1;

NOTIFYICONDATAW Record(HWND owner, HICON icon) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kMsgTrayCallback;
    data.hIcon = icon;
    wcsncpy(data.szTip, L"QuenraOrvane", sizeof data.szTip / sizeof data.szTip[0] - 1);
    return data;
}

}  // namespace

UINT TrayIcon::TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

void TrayIcon::AcceptTaskbarCreated(HWND owner) {
    const UINT message = TaskbarCreatedMessage();
    if (!message)
        return;
    // Looked up at run time: neither function is there before Vista (nor
    // needed there), and the first not before Windows 7.
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (!user32)
        return;
    using PerWindow = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using PerProcess = BOOL(WINAPI*)(UINT, DWORD);
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, MSGFLT_ADD
    if (auto perWindow = reinterpret_cast<PerWindow>(
            reinterpret_cast<void*>(::GetProcAddress(user32, "ChangeWindowMessageFilterEx")))) {
        perWindow(owner, message, kAllow, nullptr);
    } else if (auto perProcess = reinterpret_cast<PerProcess>(
                   reinterpret_cast<void*>(::GetProcAddress(user32, "ChangeWindowMessageFilter")))) {
        perProcess(message, kAllow);
    }
}

bool TrayIcon::Add(HWND owner, HICON icon) {
    if (!m_turns.Wanted()) {
        m_owner = owner;
        m_icon = icon;
    }
    Carry(m_turns.Want());
    return m_turns.Shown();
}

void TrayIcon::OnTaskbarCreated() { Carry(m_turns.TaskbarCreated()); }

void TrayIcon::Remove() { Carry(m_turns.Unwant()); }

void TrayIcon::Carry(launcher::TrayIconTurns::Step step) {
    switch (step) {
    case launcher::TrayIconTurns::Step::None:
        return;
    case launcher::TrayIconTurns::Step::Delete: {
        NOTIFYICONDATAW data = Record(m_owner, nullptr);
        ::Shell_NotifyIconW(NIM_DELETE, &data);
        return;
    }
    case launcher::TrayIconTurns::Step::Add: {
        NOTIFYICONDATAW data = Record(m_owner, m_icon);
        // A shell that answered late may have taken an earlier add after all:
        // then the icon is there to be modified.
        bool ok = ::Shell_NotifyIconW(NIM_ADD, &data) || ::Shell_NotifyIconW(NIM_MODIFY, &data);
        if (ok) {
            m_turns.Added(true);
            return;
        }
        LogFailure(L"tray icon not added", ::GetLastError());
        if (m_turns.Added(false))
            ::SetTimer(m_owner, kTimerTrayIcon, launcher::kTrayRetryMs, nullptr);
        return;
    }
    }
}

}  // namespace ovn
