// Helpers for the launcher and start-up tests: a stand-in child program that
// records the arguments it was started with and can play a game page or the hall
// in a process of its own, a pump with the program's pre-translation walk, and
// an answerer for the skinned message box.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/page_token.h"
#include "framework/app.h"
#include "message_pump.h"
#include "framework/handles.h"
#include "framework/window.h"
#include "launcher/kelvor3_dlg.h"
#include "skin/message_box.h"

namespace launchertest {

// A page's command line as a stand-in logged it, without its last argument,
// the token (which is new at every start), and that token.
inline std::wstring WithoutToken(const std::wstring& line) {
    const std::size_t blank = line.rfind(L' ');
    return line.rfind(L"/newgm ", 0) == 0 && blank != std::wstring::npos ? line.substr(0, blank) : line;
}
inline ovn::PageToken TokenOf(const std::wstring& line) {
    const std::size_t blank = line.rfind(L' ');
    return blank == std::wstring::npos ? 0 : ovn::ReadPageTokenArgument(line.substr(blank + 1)).value_or(0);
}

// A message a stand-in page's frame received.
struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// A copy of the stand-in program (ovn_stand_in_child.exe, built next to this
// test) in a folder whose name has a blank; each start appends one line
// "[<arguments>]" to its log, then stays alive holdSeconds before ending. Any
// copy still holding is told to end when this object goes. With a plan (see
// stand_in_child.cpp) its copies play pages or the hall and record what they get.
class StandInChild {
public:
    StandInChild(const std::wstring& baseName, int holdSeconds) {
        // A name of its own for every copy: a copy of an earlier test may still be
        // ending, and an executable is never replaced while a process may run it.
        static int copies = 0;
        const std::wstring name = baseName + L"-" + std::to_wstring(++copies);
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_dir = std::wstring(temp) + L"ovn launcher test";
        CreateDirectoryW(m_dir.c_str(), nullptr);
        m_program = m_dir + L"\\" + name + L" child.exe";
        m_log = m_dir + L"\\" + name + L".log";
        m_hold = m_dir + L"\\" + name + L".hold";
        m_plan = m_dir + L"\\" + name + L".plan";
        m_inbox = m_dir + L"\\" + name + L".inbox";
        DeleteFileW(m_log.c_str());
        DeleteFileW(m_plan.c_str());
        DeleteFileW(m_inbox.c_str());
        m_stop.reset(CreateEventW(nullptr, TRUE, FALSE, (L"OvnStandInStop-" + name).c_str()));
        if (m_stop)
            ResetEvent(m_stop.get());
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
        DeleteFileW(m_plan.c_str());
        DeleteFileW(m_inbox.c_str());
        // A copy that is still ending keeps its file a moment longer.
        for (int i = 0; i < 250 && !DeleteFileW(m_program.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND; ++i)
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

    // What the copies started from now on do ("key=value" lines).
    void Plan(const std::string& plan) const {
        std::ofstream out(m_plan.c_str(), std::ios::binary | std::ios::trunc);
        out << plan;
    }
    // Messages a stand-in frame received, in order; the answers its claims got.
    std::vector<Received> Inbox(HWND frame, std::optional<UINT> msg) const {
        std::vector<Received> got;
        for (const std::string& line : InboxLines()) {
            std::istringstream in(line);
            unsigned long pid = 0;
            std::string window;
            unsigned long long m = 0, w = 0;
            long long l = 0;
            if (in >> pid >> window >> m >> w >> l && window == std::to_string(reinterpret_cast<std::uintptr_t>(frame)) &&
                (!msg || m == *msg))
                got.push_back({static_cast<UINT>(m), static_cast<WPARAM>(w), static_cast<LPARAM>(l)});
        }
        return got;
    }
    std::vector<int> ClaimAnswers() const {
        std::vector<int> answers;
        for (const std::string& line : InboxLines()) {
            std::istringstream in(line);
            unsigned long pid = 0;
            std::string word;
            int answer = 0;
            if (in >> pid >> word >> answer && word == "claim")
                answers.push_back(answer);
        }
        return answers;
    }
    // Makes the stand-in frame take in everything posted to it so far: a marker
    // posted behind it comes back through its inbox.
    bool Flush(HWND frame) const;

private:
    std::vector<std::string> InboxLines() const {
        std::vector<std::string> lines;
        std::ifstream in(m_inbox.c_str(), std::ios::binary);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line);
        return lines;
    }
    static std::wstring StandInSource() {
        wchar_t self[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path(self, n);
        return path.substr(0, path.find_last_of(L'\\') + 1) + L"ovn_stand_in_child.exe";
    }
    std::wstring m_dir, m_program, m_log, m_hold, m_plan, m_inbox;
    fw::Handle m_stop;
    bool m_ready = false;
};

// Runs queued messages for ms milliseconds; true when WM_QUIT came (the
// launcher ended its loop).
inline bool Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    bool quit = false;
    for (;;) {
        quit = wintest::RunQueued() || quit;
        if (quit || GetTickCount() - start >= ms)
            return quit;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

using wintest::PumpUntil;

// Runs this thread's messages until none is queued: everything posted to the
// launcher so far has been handled. True when WM_QUIT came.
inline bool PumpUntilIdle() {
    bool quit = false;
    wintest::PumpIdle(&quit);
    return quit;
}

inline bool StandInChild::WaitForLines(std::size_t n, DWORD timeoutMs) const {
    return PumpUntil([&] { return Lines().size() >= n; }, timeoutMs);
}

inline bool StandInChild::Flush(HWND frame) const {
    static LPARAM sequence = 0;
    const LPARAM mark = ++sequence;
    constexpr UINT kMarker = WM_APP + 77;
    if (!PostMessageW(frame, kMarker, 0, mark))
        return false;
    return PumpUntil([&] {
        for (const Received& r : Inbox(frame, kMarker))
            if (r.lParam == mark)
                return true;
        return false;
    });
}

// A window of the test process itself: to the launcher, a stranger's window.
class StrangerWindow {
public:
    StrangerWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvnTestStranger";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"stranger", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, wc.hInstance, nullptr);
    }
    ~StrangerWindow() {
        if (IsWindow(m_hwnd))
            DestroyWindow(m_hwnd);
    }
    StrangerWindow(const StrangerWindow&) = delete;
    StrangerWindow& operator=(const StrangerWindow&) = delete;
    HWND hwnd() const { return m_hwnd; }

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
    // Runs when a box is found, before it is answered.
    std::function<void()> onSeen;

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
        if (self->onSeen)
            self->onSeen();
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

// The launcher window run for real, modeless on the test thread, its children
// copies of the stand-in program. Start() makes it with the first page's plan.
class LauncherHost : public ::testing::Test {
protected:
    void SetUp() override {
        ovn::LastWidth = 0;
        ovn::LastSoundImage = 1;
        ovn::SwitchHotkey = {};
        ASSERT_TRUE(child.Ready());
    }
    void TearDown() override {
        if (launcher && IsWindow(launcher))
            dlg.Destroy();
        PumpUntilIdle();
    }
    // The launcher with n tabs "acct0" ...; the newest is current.
    void StartWithTabs(std::size_t n) {
        Start("claim=acct{n}\narrive=auto\n");
        for (std::size_t i = 0; i < n; ++i) {
            if (i > 0)
                dlg.RequestOtherAccount(1);
            ASSERT_TRUE(PumpUntil([&] { return dlg.Slots().PageCount() > i; }, 15000)) << "tab " << i;
        }
        ASSERT_EQ(dlg.Slots().Selected(), n - 1);
    }
    void Start(const std::string& plan) {
        child.Plan(plan);
        dlg.SetChildProgram(child.Program());
        ASSERT_TRUE(dlg.CreateModeless());
        ShowWindow(dlg.hwnd(), SW_SHOW);  // as its modal run would
        launcher = dlg.hwnd();
    }
    // Waits until the launcher holds n pages; returns the newest.
    HWND WaitForPages(std::size_t n) {
        if (!PumpUntil([&] { return dlg.Slots().PageCount() >= n; }, 15000))
            return nullptr;
        return dlg.PageWindow(n - 1);
    }

    StandInChild child{L"launcher", 20};
    ovn::CKelvor3Dlg dlg;
    HWND launcher = nullptr;
};

}  // namespace launchertest
