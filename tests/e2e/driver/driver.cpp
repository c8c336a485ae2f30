#include "tests/e2e/driver/driver.h"

#include <gdiplus.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "common/page_area.h"
#include "common/page_hosting.h"

namespace e2e {

namespace {

std::wstring EnvOr(const wchar_t* name, const std::wstring& fallback) {
    const wchar_t* v = _wgetenv(name);
    return (v && *v) ? std::wstring(v) : fallback;
}

std::wstring ReadFirstLine(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f)
        return {};
    char buf[256] = {};
    size_t n = fread(buf, 1, sizeof(buf) - 1, f);
    fclose(f);
    std::wstring out;
    for (size_t i = 0; i < n && buf[i] != '\r' && buf[i] != '\n'; ++i)
        out.push_back(static_cast<wchar_t>(buf[i]));
    return out;
}

void PumpOnce() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

bool WaitFor(const std::function<bool()>& pred, Millis timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (pred())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return pred();
        PumpOnce();
        Sleep(20);
    }
}

const Environment& Environment::Get() {
    static const Environment env = [] {
        Environment e;
        e.exePath = EnvOr(L"OVN_EXE", L"Ovn.exe");
        e.stateDir = EnvOr(L"OVN_E2E_STATE", L".");
        e.portal = EnvOr(L"OVN_PORTAL", ReadFirstLine(e.stateDir + L"\\portal.addr"));
        return e;
    }();
    return env;
}

bool Process::Start(const std::wstring& exe, const std::wstring& args) { return Start(exe, args, {}); }

bool Process::Start(const std::wstring& exe, const std::wstring& args, const std::function<void(DWORD)>& beforeRun) {
    Kill();
    SetEnvironmentVariableW(L"OVN_PORTAL", Environment::Get().portal.c_str());
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!args.empty())
        cmd += L" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    const DWORD flags = beforeRun ? CREATE_SUSPENDED : 0;
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si, &pi)) {
        m_startError = GetLastError();
        return false;
    }
    if (beforeRun) {
        beforeRun(pi.dwProcessId);
        ResumeThread(pi.hThread);
    }
    CloseHandle(pi.hThread);
    m_process.reset(pi.hProcess);
    m_pid = pi.dwProcessId;
    return true;
}

Process::~Process() { Kill(); }

bool Process::Running() const {
    return m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
}

DWORD Process::Wait(Millis timeout) {
    if (!m_process)
        return 0;
    bool ended = WaitFor([&] { return !Running(); }, timeout);
    if (!ended)
        return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(m_process.get(), &code);
    return code;
}

void Process::Kill() {
    if (Running()) {
        TerminateProcess(m_process.get(), 1);
        WaitForSingleObject(m_process.get(), 5000);
    }
    m_process.reset();
}

namespace {

struct EnumState {
    const WindowQuery* q;
    std::vector<HWND>* out;
};

bool Matches(HWND h, const WindowQuery& q) {
    if (q.pid && WindowProcessId(h) != q.pid)
        return false;
    if (q.visibleOnly && !IsWindowVisible(h))
        return false;
    if (!q.className.empty() && ClassName(h) != q.className)
        return false;
    if (!q.title.empty() && WindowText(h) != q.title)
        return false;
    return true;
}

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<EnumState*>(lp);
    if (Matches(h, *s->q))
        s->out->push_back(h);
    return TRUE;
}

BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<EnumState*>(lp);
    if (Matches(h, *s->q))
        s->out->push_back(h);
    if (!s->q->topLevelOnly)
        EnumChildWindows(h, CollectChild, lp);
    return TRUE;
}

}  // namespace

std::vector<HWND> FindWindows(const WindowQuery& q) {
    std::vector<HWND> out;
    EnumState s{&q, &out};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&s));
    return out;
}

HWND WaitForWindow(const WindowQuery& q, Millis timeout) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            auto all = FindWindows(q);
            found = all.empty() ? nullptr : all.front();
            return found != nullptr;
        },
        timeout);
    return found;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buf[512] = {};
    // WM_GETTEXT through SendMessageTimeout: a hung window must not hang the test.
    DWORD_PTR len = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, &len);
    return buf;
}

std::wstring ClassName(HWND hwnd) {
    wchar_t buf[256] = {};
    GetClassNameW(hwnd, buf, 256);
    return buf;
}

DWORD WindowProcessId(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

RECT WindowRect(HWND hwnd) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    return rc;
}

std::vector<std::wstring> ChildTexts(HWND hwnd) {
    std::vector<std::wstring> out;
    EnumChildWindows(
        hwnd,
        [](HWND h, LPARAM lp) CALLBACK -> BOOL {
            reinterpret_cast<std::vector<std::wstring>*>(lp)->push_back(WindowText(h));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

HWND FindBoxWithText(DWORD pid, const std::wstring& text) {
    for (HWND h : FindWindows({.pid = pid, .visibleOnly = true})) {
        auto texts = ChildTexts(h);
        if (std::find(texts.begin(), texts.end(), text) != texts.end())
            return h;
    }
    return nullptr;
}

HWND WaitForBox(DWORD pid, const std::wstring& text, Millis timeout) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindBoxWithText(pid, text)) != nullptr; }, timeout);
    return box;
}

bool PressBoxButton(HWND box, const std::wstring& caption) {
    for (HWND h = GetWindow(box, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (WindowText(h) == caption) {
            PostMessageW(h, BM_CLICK, 0, 0);
            return true;
        }
    return false;
}

std::vector<DWORD> ChildProcesses(DWORD parent) {
    std::vector<DWORD> children;
    fw::Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE)
        return children;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (entry.th32ParentProcessID == parent)
            children.push_back(entry.th32ProcessID);
    return children;
}

bool SettleChildren(DWORD parent, Millis timeout) {
    // A process that has made any window is past its start. (WaitForInputIdle
    // is no help here: under Wine it may return before the process has begun.)
    std::vector<std::pair<DWORD, fw::Handle>> children;
    for (DWORD pid : ChildProcesses(parent))
        children.emplace_back(pid, fw::Handle(OpenProcess(SYNCHRONIZE, FALSE, pid)));
    return WaitFor(
        [&] {
            return std::all_of(children.begin(), children.end(), [](const auto& child) {
                return !child.second || WaitForSingleObject(child.second.get(), 0) == WAIT_OBJECT_0 ||
                       !FindWindows({.pid = child.first, .topLevelOnly = false}).empty();
            });
        },
        timeout);
}

std::vector<ProcessEntry> ProcessesNamed(const std::wstring& exeName) {
    std::vector<ProcessEntry> found;
    fw::Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (_wcsicmp(entry.szExeFile, exeName.c_str()) == 0)
            found.push_back({entry.th32ProcessID, entry.th32ParentProcessID});
    return found;
}

bool WaitForKeyboardIn(HWND window, Millis timeout) {
    return window && WaitFor([&] {
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        return GetGUIThreadInfo(0, &gui) && gui.hwndFocus && (gui.hwndFocus == window || IsChild(window, gui.hwndFocus));
    }, timeout);
}

bool WaitForShownPageKeyboard(HWND launcher, Millis timeout) {
    HWND shown = nullptr;
    WaitFor([&] {
        for (HWND h : HeldPages(launcher))
            if (IsWindowVisible(h))
                shown = h;
        return shown != nullptr;
    }, timeout);
    return WaitForKeyboardIn(shown, timeout);
}

std::vector<HWND> HeldPages(HWND launcher) {
    std::vector<HWND> out;
    const DWORD own = WindowProcessId(launcher);
    for (HWND h = GetWindow(launcher, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (WindowProcessId(h) != own)
            out.push_back(h);
    // Owned pages are frames; the login's artwork and the pages' dialogs are
    // owned by the launcher too, and are dialogs.
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (GetWindow(h, GW_OWNER) == launcher && WindowProcessId(h) != own && ClassName(h) != L"#32770")
            out.push_back(h);
    return out;
}

bool Holds(HWND launcher, HWND page) {
    const bool child = (GetWindowLongPtrW(page, GWL_STYLE) & WS_CHILD) != 0;
    if (ovn::PageHostingHere() == ovn::PageHosting::Child)
        return child && IsChild(launcher, page);
    return !child && GetWindow(page, GW_OWNER) == launcher && !IsChild(launcher, page);
}

namespace {

INPUT KeyInput(WORD vk, bool up, bool extended) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return in;
}


}  // namespace

void SendKey(WORD vk, bool extended) {
    INPUT in[2] = {KeyInput(vk, false, extended), KeyInput(vk, true, extended)};
    SendInput(2, in, sizeof(INPUT));
}

void SendKeyCombo(std::initializer_list<WORD> modifiers, WORD vk) {
    std::vector<INPUT> in;
    for (WORD m : modifiers)
        in.push_back(KeyInput(m, false, false));
    in.push_back(KeyInput(vk, false, false));
    in.push_back(KeyInput(vk, true, false));
    for (auto it = modifiers.end(); it != modifiers.begin();)
        in.push_back(KeyInput(*--it, true, false));
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

void ClickAt(int x, int y) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[3] = {};
    for (auto& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = (x * 65535) / (w - 1);
        i.mi.dy = (y * 65535) / (h - 1);
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, in, sizeof(INPUT));
}

namespace {

// Under Wine the desktop can be left in front with a mouse capture held by the
// system tray's own window (explorer's), and then every click goes there: the
// desktop is given back to the window about to be clicked first, as a player's
// click would do on Windows. Only then: a window of any program in front stays.
void TakeFrontFromTheDesktop(HWND target) {
    HWND front = GetForegroundWindow();
    if (front && front != GetDesktopWindow())
        return;
    HWND root = GetAncestor(target, GA_ROOT);
    SetForegroundWindow(root);
    WaitFor([&] { return GetForegroundWindow() == root; }, 2s);
}

// Whether a click at this point goes to target or to a window inside it.
bool TakesClickAt(HWND target, POINT at) {
    HWND hit = WindowFromPoint(at);
    return hit && (hit == target || IsChild(target, hit));
}

}  // namespace

namespace {

void ReportMissedClick(HWND target, POINT at) {
    HWND hit = WindowFromPoint(at);
    const std::wstring cls = hit ? ClassName(hit) : L"";
    fprintf(stderr, "a click at %ld,%ld meant for window %p (process %lu, owned by %p) would go to window %p "
            "(process %lu, class %ls, owned by %p): not clicked\n", at.x, at.y, static_cast<void*>(target),
            WindowProcessId(target), static_cast<void*>(GetWindow(target, GW_OWNER)), static_cast<void*>(hit),
            hit ? WindowProcessId(hit) : 0, cls.c_str(), static_cast<void*>(hit ? GetWindow(hit, GW_OWNER) : nullptr));
}

}  // namespace

bool ClickOn(HWND target, POINT at, Millis timeout) {
    if (WaitFor([&] { return TakesClickAt(target, at); }, timeout)) {
        TakeFrontFromTheDesktop(target);
        ClickAt(at.x, at.y);
        return true;
    }
    ReportMissedClick(target, at);
    return false;
}

bool ClickOnClient(HWND target, POINT clientPoint, Millis timeout) {
    POINT at{}, before{LONG_MIN, LONG_MIN};
    const bool steady = WaitFor([&] {
        at = clientPoint;
        ClientToScreen(target, &at);
        const bool same = at.x == before.x && at.y == before.y;
        before = at;
        return same && TakesClickAt(target, at);
    }, timeout);
    if (steady) {
        TakeFrontFromTheDesktop(target);
        ClickAt(at.x, at.y);
        return true;
    }
    ReportMissedClick(target, at);
    return false;
}

bool ClickWindow(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return ClickOnClient(hwnd, {client.right / 2, client.bottom / 2});
}

namespace {

// A copy of what the screen shows in r, as a bitmap the caller deletes (null
// for an empty rectangle).
HBITMAP CopyScreen(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return bmp;
}

}  // namespace

std::vector<std::uint32_t> ScreenPixels(HWND hwnd) { return ScreenPixelsIn(WindowRect(hwnd)); }

double ShareOfColour(const RECT& r, std::uint32_t rgb) {
    const std::vector<std::uint32_t> pixels = ScreenPixelsIn(r);
    if (pixels.empty())
        return 0;
    const auto n = std::count_if(pixels.begin(), pixels.end(), [&](std::uint32_t p) { return (p & 0xFFFFFF) == rgb; });
    return static_cast<double>(n) / static_cast<double>(pixels.size());
}

RECT PageAreaOnScreen(HWND launcher) {
    RECT client{};
    GetClientRect(launcher, &client);
    const ovn::Box box = ovn::PageArea(client.right, client.bottom);
    POINT origin{box.x, box.y};
    ClientToScreen(launcher, &origin);
    return {origin.x, origin.y, origin.x + box.w, origin.y + box.h};
}

bool PageAreaShows(HWND launcher, std::uint32_t rgb) { return ShareOfColour(PageAreaOnScreen(launcher), rgb) >= 0.6; }

std::vector<std::uint32_t> ScreenPixelsIn(const RECT& r) {
    HBITMAP bmp = CopyScreen(r);
    if (!bmp)
        return {};
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<std::uint32_t> out(static_cast<size_t>(w) * static_cast<size_t>(h));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bmp, 0, h, out.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bmp);
    for (auto& p : out)
        p &= 0xFFFFFF;
    return out;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

std::vector<std::uint32_t> SteadyPicture(HWND hwnd, Millis timeout) {
    std::vector<std::uint32_t> last, now;
    const bool steady = WaitFor([&] {
        now = ScreenPixels(hwnd);
        const bool drawn = std::adjacent_find(now.begin(), now.end(), std::not_equal_to<>()) != now.end();
        const bool same = drawn && now == last;
        last = now;
        return same;
    }, timeout);
    return steady ? now : std::vector<std::uint32_t>{};
}

bool SaveScreenshot(const std::wstring& path, HWND hwnd) {
    RECT rc{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (hwnd)
        rc = WindowRect(hwnd);
    HBITMAP bmp = CopyScreen(rc);
    if (!bmp)
        return false;
    bool ok = false;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        {
            Gdiplus::Bitmap image(bmp, nullptr);
            // The PNG encoder's class id, as listed by the platform's codecs.
            CLSID png{0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
            ok = image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
        }
        Gdiplus::GdiplusShutdown(token);
    }
    DeleteObject(bmp);
    return ok;
}

std::string HttpGet(const std::wstring& pathAndQuery) {
    std::string body;
    HINTERNET net = InternetOpenW(L"ovn-e2e", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!net)
        return body;
    std::wstring url = L"http://" + Environment::Get().portal + pathAndQuery;
    HINTERNET req = InternetOpenUrlW(net, url.c_str(), nullptr, 0,
                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (req) {
        char buf[4096];
        DWORD got = 0;
        while (InternetReadFile(req, buf, sizeof(buf), &got) && got)
            body.append(buf, got);
        InternetCloseHandle(req);
    }
    InternetCloseHandle(net);
    return body;
}

std::vector<std::string> PortalRequests(bool clear) {
    std::vector<std::string> lines;
    std::istringstream in(HttpGet(clear ? L"/__requests?clear=1" : L"/__requests"));
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value) : m_name(name) {
    wchar_t old[1024];
    const DWORD n = GetEnvironmentVariableW(name, old, 1024);
    m_had = n > 0 && n < 1024;
    if (m_had)
        m_old.assign(old, n);
    SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironmentVariableW(m_name, m_had ? m_old.c_str() : nullptr); }

std::wstring RecorderPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.rfind(L'\\') + 1) + L"ovn_recorder.exe";
}

std::string ReadFileText(const std::wstring& path) {
    std::string text;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;)
            text.append(buf, n);
        fclose(f);
    }
    return text;
}

}  // namespace e2e
