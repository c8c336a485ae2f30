#include "tests/e2e/driver/login.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "browser/plain/plain_web_view.h"
#include "browser/web_view.h"
#include "common/protocol.h"
#include "res/resource.h"
#include "skin/skin_image.h"

namespace e2e {

namespace {

// A hidden window of the page's size with the plain engine in it.
class LayoutProbe : public ovn::browser::WebViewEvents {
public:
    LayoutProbe(int w, int h, std::uint32_t hostFlags) : m_flags(hostFlags) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvnE2eLayoutProbe";
        RegisterClassW(&wc);
        m_host = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, -32000, -32000, w, h, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        RECT client{0, 0, w, h};
        // Laid out by the program's rule, at the scale its windows take.
        ovn::browser::SetPageDpiRule(&ovn::skin::LayoutDpi);
        m_view = ovn::browser::CreateWebView(m_host, client, *this, ovn::browser::WebEngineKind::Plain);
    }
    ~LayoutProbe() {
        m_view.reset();
        DestroyWindow(m_host);
    }
    bool Load(const std::wstring& url) {
        if (!m_view || !m_view->Navigate(url))
            return false;
        return WaitFor([&] { return m_complete; }, 20s);
    }
    ovn::browser::PlainWebView* Plain() const { return dynamic_cast<ovn::browser::PlainWebView*>(m_view.get()); }

    std::uint32_t OnGetHostInfoFlags(std::uint32_t) override { return m_flags; }
    void OnDocumentComplete(const std::wstring&) override { m_complete = true; }

private:
    std::uint32_t m_flags;
    HWND m_host = nullptr;
    std::unique_ptr<ovn::browser::WebView> m_view;
    bool m_complete = false;
};

}  // namespace

std::optional<RECT> LinkBoxOnPage(const std::wstring& url, const std::wstring& hrefPart, int w, int h,
                                  std::uint32_t hostFlags) {
    LayoutProbe probe(w, h, hostFlags);
    if (!probe.Load(url) || !probe.Plain())
        return std::nullopt;
    const auto& links = probe.Plain()->Browser().Document().links;
    for (size_t i = 0; i < links.size(); ++i) {
        RECT box{};
        if (links[i].href.find(hrefPart) != std::wstring::npos &&
            probe.Plain()->LinkRect(static_cast<int>(i), box))
            return box;
    }
    return std::nullopt;
}

std::wstring LoginPageUrl() { return L"http://" + Environment::Get().portal + L"/ovn/client/index.html?cid=4224"; }

namespace {

HWND VisibleOwnedBy(HWND owner, DWORD pid = 0) {
    for (HWND h : FindWindows({.pid = pid, .visibleOnly = true}))
        if (GetWindow(h, GW_OWNER) == owner && (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED))
            return h;
    return nullptr;
}

}  // namespace

LoginWindows WaitForLogin(HWND launcher, Millis timeout) {
    LoginWindows w;
    WaitFor([&] {
        w.background = VisibleOwnedBy(launcher);
        w.page = w.background ? VisibleOwnedBy(w.background) : nullptr;
        return w.page != nullptr;
    }, timeout);
    return w;
}

LoginWindows WaitForLoginOf(DWORD pid, Millis timeout) {
    LoginWindows w;
    WaitFor([&] {
        w.background = nullptr;
        for (HWND h : FindWindows({.pid = pid, .title = L"QuenraOrvane", .visibleOnly = true}))
            if (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED && VisibleOwnedBy(h, pid))
                w.background = h;
        w.page = w.background ? VisibleOwnedBy(w.background, pid) : nullptr;
        return w.page != nullptr;
    }, timeout);
    return w;
}

HWND LogInFirstPage(HWND launcher) {
    const LoginWindows login = WaitForLogin(launcher);
    if (!login.page || !ClickLink(login.page, LoginPageUrl(), L"S3服", kLoginPageHostFlags))
        return nullptr;
    HWND frame = nullptr;
    WaitFor(
        [&] {
            auto kids = HeldPages(launcher);
            frame = kids.empty() ? nullptr : kids.front();
            return frame != nullptr && IsWindowVisible(frame);
        },
        20s);
    // Settled once the page has the keyboard (or the time is up: the caller
    // finds out).
    WaitForKeyboardIn(frame);
    return frame;
}

namespace {

struct PromptSearch {
    HWND launcher;
    HWND found = nullptr;
};

BOOL CALLBACK FindPrompt(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<PromptSearch*>(lp);
    if (GetWindow(h, GW_OWNER) == f->launcher && IsWindowVisible(h) && GetDlgItem(h, IDC_ADDACC_TEXT))
        f->found = h;
    return f->found == nullptr;
}

}  // namespace

bool AnswerOtherAccountPrompt(HWND launcher, bool newTab) {
    HWND link = GetDlgItem(launcher, IDC_LNK_OTHER_ACCOUNT);
    if (!link)
        return false;
    PostMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_LNK_OTHER_ACCOUNT, STN_CLICKED), reinterpret_cast<LPARAM>(link));
    // The prompt: the launcher's own window that holds the question.
    HWND prompt = nullptr;
    WaitFor([&] {
        PromptSearch find{launcher};
        EnumWindows(&FindPrompt, reinterpret_cast<LPARAM>(&find));
        prompt = find.found;
        return prompt != nullptr;
    });
    if (!prompt)
        return false;
    const int button = newTab ? IDOK : IDCANCEL;
    PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(prompt, button)));
    return true;
}

LoginWindows OpenAnotherTab(HWND launcher, DWORD* pid) {
    const DWORD launcherPid = WindowProcessId(launcher);
    const std::vector<DWORD> before = ChildProcesses(launcherPid);
    AnswerOtherAccountPrompt(launcher, true);
    DWORD started = 0;
    WaitFor([&] {
        for (DWORD p : ChildProcesses(launcherPid))
            if (std::find(before.begin(), before.end(), p) == before.end())
                started = p;
        return started != 0;
    }, 20s);
    *pid = started;
    return started ? WaitForLoginOf(started) : LoginWindows{};
}

std::string EndLauncher(Process& launcher, HWND wnd, Millis exitWait) {
    std::string faults;
    if (launcher.Running()) {
        if (!wnd)
            wnd = WaitForWindow({.pid = launcher.Id(), .title = L"QuenraOrvane", .visibleOnly = true}, 2s);
        if (!SettleChildren(launcher.Id()))
            faults += "its page processes did not settle; ";
        // A login still open keeps the launcher disabled, so that is left first.
        if (!LeaveOpenLogins(launcher.Id(), wnd))
            faults += "an open login was not left; ";
        PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (HWND box = WaitForBox(launcher.Id(), L"窗口即将关闭，确定要退出游戏？", 5s))
            PressBoxButton(box, L"是");
        if (const DWORD code = launcher.Wait(exitWait); code != 0)
            faults += "the launcher ended with " + std::to_string(code) + "; ";
    }
    launcher.Kill();
    std::vector<ProcessEntry> left;
    if (!WaitFor([&] { return (left = ProcessesNamed(L"Ovn.exe")).empty(); }, 15s)) {
        faults += std::to_string(left.size()) + " Ovn.exe process(es) outlived their launcher, the first " +
                  std::to_string(left.front().pid) + " started by " + std::to_string(left.front().parent);
        for (const ProcessEntry& p : left)
            if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, p.pid)) {
                TerminateProcess(h, 1);
                CloseHandle(h);
            }
    }
    return faults;
}

bool QuitLauncher(Process& launcher) { return EndLauncher(launcher).empty(); }

bool LeaveOpenLogins(DWORD launcherPid, HWND launcher, Millis timeout) {
    return WaitFor([&] {
        bool settled = true;
        const std::vector<HWND> frames = HeldPages(launcher);
        for (DWORD pid : ChildProcesses(launcherPid)) {
            if (std::any_of(frames.begin(), frames.end(), [&](HWND f) { return WindowProcessId(f) == pid; }))
                continue;
            settled = false;
            // Hidden too: a minimised launcher hides the login it owns.
            for (HWND h : FindWindows({.pid = pid}))
                if (GetWindow(h, GW_OWNER) == launcher && (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED))
                    PostMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        }
        return settled;
    }, timeout);
}

bool ClickLink(HWND view, const std::wstring& url, const std::wstring& hrefPart, std::uint32_t hostFlags) {
    RECT client{};
    GetClientRect(view, &client);
    const auto box = LinkBoxOnPage(url, hrefPart, client.right, client.bottom, hostFlags);
    return box && ClickBox(view, *box);
}

bool ClickBox(HWND view, const RECT& box) {
    return ClickOnClient(view, {(box.left + box.right) / 2, (box.top + box.bottom) / 2});
}

void DragBy(int x, int y, int dx, int dy) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const auto input = [&](DWORD flags, int px, int py) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = (px * 65535) / (w - 1);
        in.mi.dy = (py * 65535) / (h - 1);
        in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        return in;
    };
    INPUT in[5] = {input(0, x, y), input(MOUSEEVENTF_LEFTDOWN, x, y), input(0, x + dx / 2, y + dy / 2),
                   input(0, x + dx, y + dy), input(MOUSEEVENTF_LEFTUP, x + dx, y + dy)};
    SendInput(5, in, sizeof(INPUT));
}

HWND OpenGameDownload(HWND launcher, HWND page, const std::wstring& hrefPart, Hall* hall) {
    auto hallRequests = [] {
        auto log = PortalRequests();
        return std::count_if(log.begin(), log.end(),
                             [](const std::string& l) { return l.find("GET /webgame.htm") != std::string::npos; });
    };
    Hall found;
    PostMessageW(launcher, WM_COMMAND, MAKEWPARAM(IDC_BTN_HALL, BN_CLICKED), 0);
    if (!WaitFor([&] {
            for (HWND h : HeldPages(launcher))
                if (h != page)
                    found.frame = h;
            return found.frame && IsWindowVisible(found.frame) && hallRequests() >= 1;
        }, 20s))
        return nullptr;
    GetWindowThreadProcessId(found.frame, &found.pid);
    if (hall)
        *hall = found;
    HWND view = found.frame;
    while (HWND child = GetWindow(view, GW_CHILD))
        view = child;
    const std::wstring hallUrl = L"http://" + Environment::Get().portal + L"/webgame.htm";
    // The hall may still be loading when its window is first seen: its link is
    // clicked once the hall is drawn in the page area (a click on the blank
    // page before would go nowhere). Where pages are children under Wine
    // nothing of them is drawn, and the wait only ends at its bound.
    WaitFor([&] { return PageAreaShows(launcher, kHallColour); }, 20s);
    if (!WaitFor([&] { return ClickLink(view, hallUrl, hrefPart, 0); }, 20s))
        return nullptr;
    HWND box = WaitForBox(found.pid, L"下载Quenra登录器，玩游戏更加方便快捷，现在就去下载吧？", 20s);
    if (!box || !PressBoxButton(box, L"确定"))
        return nullptr;
    return WaitForWindow({.pid = found.pid, .title = L"游戏下载中...", .visibleOnly = true}, 20s);
}

}  // namespace e2e
