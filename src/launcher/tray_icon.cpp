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

bool TrayIcon::Add(HWND owner, HICON icon) {
    if (m_owner)
        return true;
    m_owner = owner;
    NOTIFYICONDATAW data = Record(owner, icon);
    if (::Shell_NotifyIconW(NIM_ADD, &data))
        return true;
    LogFailure(L"tray icon not added", ::GetLastError());
    return false;
}

void TrayIcon::Remove() {
    if (!m_owner)
        return;
    NOTIFYICONDATAW data = Record(m_owner, nullptr);
    ::Shell_NotifyIconW(NIM_DELETE, &data);
    m_owner = nullptr;
}

}  // namespace ovn
