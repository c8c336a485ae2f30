#include "launcher/add_acc_dlg.h"

#include "common/protocol.h"
#include "res/resource.h"
#include "res/skin_ids.h"
#include "skin/skin_image.h"

namespace ovn {

namespace {

// The question, three lines.
const wchar_t kAddAccountText[] =
    L"在当前窗口新增标签页？\r\n点击\"是\"，在当前窗口登录(支持3个标签页)；\r\n点击\"否\"，在新窗口中登录。";

}  // namespace

CAddAccDlg::CAddAccDlg() : CDlgEx(IDD_ADD_ACCOUNT) {}

bool CAddAccDlg::EnsureCreated(HWND launcher) {
    if (hwnd())
        return true;
    m_launcher = launcher;
    return CreateModeless(launcher);
}

void CAddAccDlg::DropUnder(const RECT& anchor) {
    RECT own{};
    ::GetWindowRect(hwnd(), &own);
    const int w = own.right - own.left, h = own.bottom - own.top;
    ::MoveWindow(hwnd(), anchor.right - w, anchor.bottom, w, h, TRUE);
    ::ShowWindow(hwnd(), SW_SHOW);
}

void CAddAccDlg::DoDataExchange() {
    m_stcText.SubclassDlgItem(IDC_ADDACC_TEXT, hwnd());
    m_btnYes.SubclassDlgItem(IDOK, hwnd());
    m_btnNo.SubclassDlgItem(IDCANCEL, hwnd());
}

bool CAddAccDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    DoDataExchange();
    SetCaptionText(L"登录其他账号");
    SetFrameSpacing({.borderWidth = 3, .buttonRightMargin = 5, .buttonTop = 1});
    SetSkin(skin::LoadSkinImage(IDB_ADDACC_FRAME, Scale()), true, false, nullptr, {}, {}, nullptr);

    SetTextButtons({&m_btnYes, &m_btnNo}, true);
    if (m_stcText.hwnd()) {
        // The label draws its own text, not its window's: both are set.
        ::SetWindowTextW(m_stcText.hwnd(), kAddAccountText);
        m_stcText.m_strText = kAddAccountText;
        m_stcText.m_nLineSpacing = 5;
        ::InvalidateRect(m_stcText.hwnd(), nullptr, FALSE);
    }
    return true;
}

void CAddAccDlg::Answer(WPARAM newTab) {
    m_answer = newTab;  // a second click before the launcher took the first replaces it
    ::PostMessageW(m_launcher, kMsgOtherAccount, newTab, 0);
    ::ShowWindow(hwnd(), SW_HIDE);
}

std::optional<WPARAM> CAddAccDlg::TakeAnswer() {
    std::optional<WPARAM> answer = m_answer;
    m_answer.reset();
    return answer;
}

bool CAddAccDlg::PreTranslateMessage(MSG& msg) {
    // Esc puts the prompt away unanswered: it is no vote for a new window.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && hwnd() &&
        (msg.hwnd == hwnd() || ::IsChild(hwnd(), msg.hwnd))) {
        ::ShowWindow(hwnd(), SW_HIDE);
        return true;
    }
    return CDlgEx::PreTranslateMessage(msg);
}

LRESULT CAddAccDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ACTIVATE: {
        const LRESULT r = CDlgEx::WindowProc(msg, wParam, lParam);
        // Clicking anywhere else puts it away without an answer.
        if (LOWORD(wParam) == WA_INACTIVE)
            ::ShowWindow(hwnd(), SW_HIDE);
        return r;
    }
    case WM_NCHITTEST:
        return HTCLIENT;  // never dragged by its caption
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}

}  // namespace ovn
