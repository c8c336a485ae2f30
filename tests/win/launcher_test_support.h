// Helpers for the launcher and start-up tests: a stand-in child program that
// records the arguments it was started with, windows that play game pages and
// record what the launcher sends them, a pump with the program's pre-translation
// walk, and an answerer for the skinned message box.
#pragma once
#include <windows.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/handles.h"
#include "framework/window.h"
#include "skin/message_box.h"

namespace launchertest {

// A copy of the stand-in program (ovn_stand_in_child.exe, built next to this
// test) in a folder whose name has a blank; each start appends one line
// "[<arguments>]" to its log, then stays alive holdSeconds before ending. Any
// copy still holding is told to end when this object goes.
class StandInChild {
public:
    StandInChild(const std::wstring& name, int holdSeconds) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_dir = std::wstring(temp) + L"ovn launcher test";
        CreateDirectoryW(m_dir.c_str(), nullptr);
        m_program = m_dir + L"\\" + name + L" child.exe";
        m_log = m_dir + L"\\" + name + L".log";
        m_hold = m_dir + L"\\" + name + L".hold";
        DeleteFileW(m_log.c_str());
        m_stop.reset(CreateEventW(nullptr, TRUE, FALSE, (L"OvnStandInStop-" + name).c_str()));
        if (m_stop)
            ResetEvent(m_stop.get());  // a straggler of an earlier test may still hold it
        std::ofstream hold(m_hold.c_str(), std::ios::binary | std::ios::trunc);
        hold << holdSeconds;
        hold.close();
        m_ready = m_stop && hold.good() && CopyFileW(StandInSource().c_str(), m_program.c_str(), FALSE);
    }
    ~StandInChild() {
        if (m_stop)
            SetEvent(m_stop.get());
        DeleteFileW(m_log.c_str());
        DeleteFileW(m_hold.c_str());
        // A copy that is still ending keeps its file a moment longer.
        for (int i = 0; i < 50 && !DeleteFileW(m_program.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND; ++i)
            Sleep(20);
        RemoveDirectoryW(m_dir.c_str());  // only once the last stand-in is gone
    }
    StandInChild(const StandInChild&) = delete;
    StandInChild& operator=(const StandInChild&) = delete;
    bool Ready() const { return m_ready; }
    const std::wstring& Program() const { return m_program; }

    std::vector<std::wstring> Lines() const {
        std::vector<std::wstring> lines;
        std::ifstream in(m_log.c_str(), std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
                lines.emplace_back(line.begin() + 1, line.end() - 1);
        }
        return lines;
    }
    // Waits (pumping) until the log has at least n lines.
    bool WaitForLines(std::size_t n, DWORD timeoutMs = 15000) const;

private:
    static std::wstring StandInSource() {
        wchar_t self[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path(self, n);
        return path.substr(0, path.find_last_of(L'\\') + 1) + L"ovn_stand_in_child.exe";
    }
    std::wstring m_dir, m_program, m_log, m_hold;
    fw::Handle m_stop;
    bool m_ready = false;
};

// Runs queued messages through the program's pre-translation walk for ms
// milliseconds; true when WM_QUIT came (the launcher ended its loop).
inline bool Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    bool quit = false;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                continue;
            }
            if (!fw::App::PreTranslate(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (quit)
            return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
    return quit;
}

// Pumps until cond holds or timeoutMs passes; a WM_QUIT seen meanwhile is kept in *quit.
template <typename Cond>
bool PumpUntil(Cond cond, DWORD timeoutMs = 10000, bool* quit = nullptr) {
    const DWORD start = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        if (Pump(30) && quit)
            *quit = true;
    }
    return true;
}

inline bool StandInChild::WaitForLines(std::size_t n, DWORD timeoutMs) const {
    return PumpUntil([&] { return Lines().size() >= n; }, timeoutMs);
}

// A window that plays a game page (or the hall): hidden, top-level until the
// test makes it a child of the launcher, recording every message it receives.
struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::map<HWND, std::vector<Received>>& Inbox() {
    static std::map<HWND, std::vector<Received>> inbox;
    return inbox;
}

inline LRESULT CALLBACK PageProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SYSCOMMAND || msg == WM_KEYDOWN || msg == WM_CHAR || msg >= WM_USER) {
        Inbox()[h].push_back({msg, wParam, lParam});
        if (msg == WM_SYSCOMMAND)
            return 0;  // a page decides itself when to close
    }
    return DefWindowProcW(h, msg, wParam, lParam);
}

class FakePage {
public:
    FakePage() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &PageProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvnTestPage";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"OvnTestPage", L"page", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    }
    ~FakePage() {
        if (IsWindow(m_hwnd))
            DestroyWindow(m_hwnd);
        Inbox().erase(m_hwnd);
    }
    FakePage(const FakePage&) = delete;
    FakePage& operator=(const FakePage&) = delete;
    HWND hwnd() const { return m_hwnd; }

    // What a page does on arrival: announce itself, then become the launcher's child.
    void ArriveAt(HWND launcher, bool hall = false) const {
        PostMessageW(launcher, WM_USER + 2, reinterpret_cast<WPARAM>(m_hwnd), hall ? 1 : 0);
        SetParent(m_hwnd, launcher);
    }
    std::vector<Received> Got(UINT msg) const {
        std::vector<Received> out;
        for (const Received& r : Inbox()[m_hwnd])
            if (r.msg == msg)
                out.push_back(r);
        return out;
    }
    void Forget() const { Inbox()[m_hwnd].clear(); }

private:
    HWND m_hwnd = nullptr;
};

// Answers the next skinned message box that opens on this thread (other than
// the window named in `except`) with button 1 (Yes/OK) or 2 (No/Cancel), and
// remembers its text. Works from a thread timer, so it runs inside the box's
// own modal loop.
class BoxAnswerer {
public:
    BoxAnswerer(HWND except, int button) : m_except(except), m_button(button) {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 50, &BoxAnswerer::OnTimer);
    }
    ~BoxAnswerer() {
        KillTimer(nullptr, m_timer);
        if (s_current == this)
            s_current = nullptr;
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    int Answered() const { return m_answered; }
    const std::wstring& Text() const { return m_text; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        BoxAnswerer* self = s_current;
        if (!self)
            return;
        struct Find {
            HWND except;
            HWND found = nullptr;
        } find{self->m_except};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND h, LPARAM lp) CALLBACK -> BOOL {
                auto* f = reinterpret_cast<Find*>(lp);
                if (h != f->except && IsWindowVisible(h) &&
                    dynamic_cast<ovn::skin::CMessageBox*>(fw::Window::FromHandle(h))) {
                    f->found = h;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&find));
        if (!find.found || find.found == self->m_last)
            return;
        self->m_last = find.found;
        auto* box = dynamic_cast<ovn::skin::CMessageBox*>(fw::Window::FromHandle(find.found));
        self->m_text = box->m_strText;
        ++self->m_answered;
        const int id = self->m_button == 1 ? ovn::skin::kMessageBoxButton1 : ovn::skin::kMessageBoxButton2;
        PostMessageW(find.found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }

    static inline BoxAnswerer* s_current = nullptr;
    HWND m_except;
    int m_button;
    UINT_PTR m_timer = 0;
    int m_answered = 0;
    HWND m_last = nullptr;
    std::wstring m_text;
};

}  // namespace launchertest
