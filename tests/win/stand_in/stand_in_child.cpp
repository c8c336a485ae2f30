// A stand-in for the launcher's child programs. Copied by the tests to
// "<folder>\<name> child.exe", it appends "[<arguments>]" to "<folder>\<name>.log"
// and then stays alive for the seconds written in "<folder>\<name>.hold" (none:
// it ends at once), or until the test sets the event "OvnStandInStop-<name>".
// A GUI program with no console, so it never holds the test runner's output.
//
// Started as a page ("/newgm /<launcher> /<pages> /<token>") or a hall ("/gmhall
// /<launcher>"), it can play that child as "<folder>\<name>.plan" says, one
// "key=value" a line:
//   claim=<label>     send the label claim first ("{n}" becomes the page count)
//   disable=1         disable the launcher, as a later tab's modal login does
//   abandon=1         then give up the login: post the close request and end
//   arrive=auto       make a frame, put it inside the launcher and ask to be
//                     adopted in the role started for; arrive=page or arrive=hall
//                     asks for that role instead
// Everything the frame receives from the launcher, and each claim's answer, is
// appended to "<folder>\<name>.inbox": "<pid> <frame> <message> <wParam> <lParam>",
// or "<pid> claim <answer>"; a close request also records "<pid> <frame> 0 <1 if
// already detached from the launcher, else 0> 0" before it. The frame shows itself
// when it gets kMsgShowYourself, as a page that reloads once did. It ends on a
// close request or once the launcher's window is gone, as a page does.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "common/page_hosting.h"
#include "common/page_token.h"

namespace {

constexpr LPARAM kCloseMarker = 9157;
constexpr UINT kAdoptFrame = WM_USER + 2;
constexpr UINT kMsgShowYourself = WM_APP + 78;

std::wstring g_inbox;

std::wstring ArgumentsAfterProgram() {
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p)
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

std::string Utf8(const std::wstring& w) {
    if (w.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& s) {
    if (s.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

void AppendLine(const std::wstring& log, const std::string& line) {
    // Several copies may write at once: retry while another holds the file.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE f = CreateFileW(log.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(f);
            return;
        }
        Sleep(10);
    }
}

std::string ReadFileText(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    char buf[512];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0)
        text.append(buf, got);
    CloseHandle(f);
    return text;
}

// The value of "key=" in the plan, or an empty text.
std::string PlanValue(const std::string& plan, const std::string& key) {
    std::size_t at = 0;
    while (at < plan.size()) {
        std::size_t end = plan.find('\n', at);
        if (end == std::string::npos)
            end = plan.size();
        std::string line = plan.substr(at, end - at);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
        at = end + 1;
    }
    return {};
}

void Record(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam) {
    AppendLine(g_inbox, std::to_string(GetCurrentProcessId()) + " " +
                            std::to_string(reinterpret_cast<std::uintptr_t>(frame)) + " " + std::to_string(msg) + " " +
                            std::to_string(wParam) + " " + std::to_string(static_cast<long long>(lParam)) + "\r\n");
}

LRESULT CALLBACK FrameProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SYSCOMMAND || msg == WM_KEYDOWN || msg == WM_CHAR || msg >= WM_USER) {
        const bool close = msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE;
        if (close)
            Record(h, 0, GetAncestor(h, GA_PARENT) == GetDesktopWindow() ? 1 : 0, 0);
        Record(h, msg, wParam, lParam);
        if (msg == kMsgShowYourself)
            ShowWindow(h, SW_SHOW);
        if (close) {
            DestroyWindow(h);
            return 0;
        }
        if (msg == WM_SYSCOMMAND)
            return 0;
    }
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(h, msg, wParam, lParam);
}

// The launcher window, the page count and the page's token from
// "/newgm /<hwnd> /<n> /<token>" or "/gmhall /<hwnd>".
struct ChildArguments {
    bool page = false, hall = false;
    HWND launcher = nullptr;
    long long pages = 0;
    ovn::PageToken token = 0;
};

ChildArguments ParseArguments(const std::wstring& args) {
    ChildArguments out;
    out.page = args.rfind(L"/newgm ", 0) == 0;
    out.hall = args.rfind(L"/gmhall ", 0) == 0;
    if (!out.page && !out.hall)
        return out;
    const wchar_t* p = args.c_str() + args.find(L' ') + 1;
    if (*p == L'/')
        ++p;
    wchar_t* end = nullptr;
    out.launcher = reinterpret_cast<HWND>(static_cast<INT_PTR>(wcstoll(p, &end, 10)));
    if (end && *end == L' ' && end[1] == L'/')
        out.pages = wcstoll(end + 2, &end, 10);
    if (end && *end == L' ')
        out.token = ovn::ReadPageTokenArgument(end + 1).value_or(0);
    return out;
}

// A page claims from its login window: a hidden one of class "OvnStandInLogin"
// stands for it, made when the page starts.
HWND MakeLoginWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OvnStandInLogin";
    RegisterClassW(&wc);
    return CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"stand-in login", WS_POPUP, 0, 0, 10, 10, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

void SendClaim(HWND launcher, HWND login, ovn::PageToken token, const std::wstring& text) {
    // As a page claims: with the token it was started with.
    std::wstring label = ovn::ClaimText(token, text);
    COPYDATASTRUCT cds = {0, static_cast<DWORD>((label.size() + 1) * sizeof(wchar_t)), label.data()};
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(launcher, WM_COPYDATA, reinterpret_cast<WPARAM>(login), reinterpret_cast<LPARAM>(&cds),
                        SMTO_NORMAL, 10000, &answer);
    AppendLine(g_inbox, std::to_string(GetCurrentProcessId()) + " claim " + std::to_string(answer) + "\r\n");
}

HWND Arrive(HWND launcher, bool asHall) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OvnStandInFrame";
    RegisterClassW(&wc);
    HWND frame = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"stand-in page", WS_POPUP, 0, 0, 10, 10,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    if (!frame)
        return nullptr;
    // What a page frame does: become the launcher's child (or, where pages are
    // held as owned windows, its owned pop-up), then ask to be taken.
    if (ovn::PageHostingHere() == ovn::PageHosting::Owned) {
        SetWindowLongPtrW(frame, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(launcher));
    } else {
        SetWindowLongPtrW(frame, GWL_STYLE, (GetWindowLongPtrW(frame, GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
        SetParent(frame, launcher);
    }
    PostMessageW(launcher, kAdoptFrame, reinterpret_cast<WPARAM>(frame), asHall ? 1 : 0);
    return frame;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH];
    const DWORD len = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (len == 0 || len >= MAX_PATH)
        return 1;
    std::wstring path(self, len);
    const std::wstring suffix = L" child.exe";
    if (path.size() <= suffix.size() || _wcsicmp(path.c_str() + path.size() - suffix.size(), suffix.c_str()) != 0)
        return 1;
    const std::wstring base = path.substr(0, path.size() - suffix.size());
    const std::wstring name = base.substr(base.find_last_of(L'\\') + 1);
    g_inbox = base + L".inbox";

    const std::wstring args = ArgumentsAfterProgram();
    AppendLine(base + L".log", "[" + Utf8(args) + "]\r\n");

    const DWORD holdMs = static_cast<DWORD>(strtoul(ReadFileText(base + L".hold").c_str(), nullptr, 10)) * 1000;
    HANDLE stop = OpenEventW(SYNCHRONIZE, FALSE, (L"OvnStandInStop-" + name).c_str());
    const std::string plan = ReadFileText(base + L".plan");
    const ChildArguments child = ParseArguments(args);

    HWND frame = nullptr;
    if ((child.page || child.hall) && IsWindow(child.launcher)) {
        HWND login = child.page ? MakeLoginWindow() : nullptr;
        std::string label = PlanValue(plan, "claim");
        if (!label.empty()) {
            if (std::size_t n = label.find("{n}"); n != std::string::npos)
                label.replace(n, 3, std::to_string(child.pages));
            SendClaim(child.launcher, login, child.token, Wide(label));
        }
        if (PlanValue(plan, "disable") == "1")
            EnableWindow(child.launcher, FALSE);
        if (PlanValue(plan, "abandon") == "1") {
            PostMessageW(child.launcher, WM_SYSCOMMAND, SC_CLOSE, kCloseMarker);
            if (stop)
                CloseHandle(stop);
            return 0;
        }
        const std::string arrive = PlanValue(plan, "arrive");
        if (arrive == "page" || arrive == "hall" || arrive == "auto")
            frame = Arrive(child.launcher, arrive == "hall" || (arrive == "auto" && child.hall));
    }

    // Hold: until the time is up, the test says stop, the frame is closed, or
    // the launcher's window is gone.
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= holdMs)
            break;
        DWORD wait = holdMs - elapsed;
        if (frame && wait > 200)
            wait = 200;
        const DWORD got = MsgWaitForMultipleObjects(stop ? 1 : 0, stop ? &stop : nullptr, FALSE, wait, QS_ALLINPUT);
        if (stop && got == WAIT_OBJECT_0)
            break;
        bool quit = false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                quit = true;
            DispatchMessageW(&msg);
        }
        if (quit || (frame && !IsWindow(child.launcher)))
            break;
    }
    if (stop)
        CloseHandle(stop);
    return 0;
}
