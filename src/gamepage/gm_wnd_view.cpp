#include "gamepage/gm_wnd_view.h"

#include <shellapi.h>

#include <utility>

#include "skin/skin_image.h"
#include "common/page_hosting.h"
#include "common/portal.h"
#include "gamepage/entergame.h"
#include "gamepage/game_page_process.h"
#include "gamepage/game_page_rules.h"
#include "gamepage/page_messages.h"
#include "downloads/down_game_dlg.h"
#include "process/process.h"
#include "skin/message_box.h"

namespace ovn {

CGmWndView::~CGmWndView() {
    if (gamepage::State().GameView == this)
        gamepage::State().GameView = nullptr;
    m_web.reset();
}

bool CGmWndView::CreateView(HWND frame, UINT id) {
    if (!fw::Window::RegisterClass(kClassName, 0, nullptr, nullptr, nullptr))
        return false;
    // No client edge: the page sits flush in the launcher.
    return Create(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, frame, id);
}

bool CGmWndView::OnInitialUpdate() {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    m_web = browser::CreateWebView(hwnd(), client, *this);
    if (!m_web)
        return false;
    m_web->SetSilent(true);  // no script-error boxes of the browser's own
    gamepage::State().GameView = this;
    m_web->Navigate(gamepage::State().StartUrl);
    return true;
}

void CGmWndView::Refresh() {
    if (m_web)
        m_web->Refresh();
}

bool CGmWndView::TranslateAccelerator(MSG& msg) { return m_web && m_web->TranslateAccelerator(msg); }

void CGmWndView::OnNavigateComplete(const std::wstring& url) {
    auto& state = gamepage::State();
    state.PageUrl = url;
    // Every completed navigation, frames inside the page included, puts the frame
    // back into the launcher's page area. Whether it is seen is the launcher's
    // decision alone: a hidden tab or hall that reloads must stay hidden.
    HWND frame = ::GetParent(hwnd());
    RECT launcher{};
    POINT origin{};
    if (frame && ::GetClientRect(LauncherWnd, &launcher) && ::ClientToScreen(LauncherWnd, &origin)) {
        const Box area =
            HostedPageBox(PageHostingHere(), PageArea(launcher.right, launcher.bottom, skin::LayoutScale(LauncherWnd)), origin.x, origin.y);
        ::MoveWindow(frame, area.x, area.y, area.w, area.h, TRUE);
    }
}

void CGmWndView::OnTitleChange(const std::wstring& title) { gamepage::State().PageTitle = title; }

std::uint32_t CGmWndView::OnGetHostInfoFlags(std::uint32_t flags) {
    return gamepage::GamePageHostFlags(flags, gamepage::State().StartUrl, portal::HallPageUrl());
}

void CGmWndView::OnBeforeNavigate(const std::wstring& url, bool& cancel) {
    if (!gamepage::IsEnterGameUrl(url))
        return;
    // The browser never goes to the marker URL. The command itself runs once the
    // browser's event has returned: it may start a process or hold a message box
    // open, neither of which belongs inside the browser's call.
    cancel = true;
    m_enterGame.push_back(url);
    ::PostMessageW(hwnd(), kMsgRunEnterGame, 0, 0);
}

void CGmWndView::RunEnterGame(const std::wstring& url) {
    auto cmd = gamepage::ParseEnterGame(url, portal::HomePageUrl());
    if (!cmd)
        return;  // no usable game name: nothing may reach the file system
    std::wstring folder = GameLoginFolder();
    if (!folder.empty()) {
        std::wstring path = gamepage::GameLauncherPath(folder, cmd->gameTag);
        DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (path.size() < MAX_PATH && attributes != INVALID_FILE_ATTRIBUTES &&
            !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            StartSelfProcess(path.c_str());
            return;
        }
    }
    int answer = skin::ShowMessageBox(1, L"Quenra游戏大厅", L"下载Quenra登录器，玩游戏更加方便快捷，现在就去下载吧？",
                                      gamepage::PageDialogOwner());
    if (answer == IDOK) {
        downloads::CDownGameDlg download(cmd->gameTag);
        download.DoModal(gamepage::PageDialogOwner());
        return;
    }
    if (cmd->downloadUrlOpenable)
        ::ShellExecuteW(nullptr, L"open", cmd->downloadUrl.c_str(), nullptr, nullptr, SW_SHOW);
}

LRESULT CGmWndView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        if (m_web)
            ::MoveWindow(m_web->WindowHandle(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (m_web)
            ::SetFocus(m_web->WindowHandle());
        return 0;
    case WM_ERASEBKGND:
        return m_web ? 1 : Default();
    case kMsgRunEnterGame: {
        std::vector<std::wstring> commands;
        commands.swap(m_enterGame);
        for (const auto& url : commands)
            RunEnterGame(url);
        return 0;
    }
    case WM_DESTROY:
        m_web.reset();
        break;
    default:
        break;
    }
    (void)wParam;
    return Default();
}

}  // namespace ovn
