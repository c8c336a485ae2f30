// Page and hall processes seen from outside: one given a launcher handle that is
// not a launcher window of this program ends and touches no window of the
// session. (A crash's dump: run_time_files_test.cpp.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/protocol.h"
#include "tests/e2e/driver/driver.h"

using namespace e2e;

namespace {

constexpr UINT kFlushMarker = WM_APP + 0x5E;

// A top-level window of another program (this test), standing for whatever a
// command line may name: it records every message a page process could send a
// launcher, and a broadcast reaches it as it reaches every top-level window.
class Witness {
public:
    Witness() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Witness::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OvnE2eWitness";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"QuenraOrvane", WS_POPUP, 0, 0, 80, 60, nullptr,
                               nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Witness() {
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
    }
    // What reached it from others, once everything posted before now has been
    // handled (a marker posted behind it comes back).
    std::vector<UINT> Heard() {
        flushed = false;
        PostMessageW(hwnd, kFlushMarker, 0, 0);
        WaitFor([&] { return flushed; }, 10s);
        return heard;
    }

    HWND hwnd = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<Witness*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self && msg == kFlushMarker) {
            self->flushed = true;
            return 0;
        }
        if (self && (msg == WM_SYSCOMMAND || msg == WM_COPYDATA || msg == WM_CLOSE || msg == ovn::kMsgAdoptFrame ||
                     msg == WM_KEYDOWN)) {
            self->heard.push_back(msg);
            return 0;  // a close request stays a record, not a close
        }
        return DefWindowProcW(h, msg, w, l);
    }
    std::vector<UINT> heard;
    bool flushed = false;
};

std::wstring Handle(HWND window) { return std::to_wstring(static_cast<long long>(reinterpret_cast<INT_PTR>(window))); }

TEST(PageProcessE2e, WithoutItsLauncherAPageEndsAndTouchesNothing) {
    Witness witness;
    ASSERT_NE(witness.hwnd, nullptr);
    // HWND_BROADCAST, a window of another program, and a handle of nothing.
    const std::wstring lines[] = {L"/newgm /65535 /0", L"/newgm /" + Handle(witness.hwnd) + L" /0",
                                  L"/gmhall /" + Handle(witness.hwnd), L"/newgm /1234567 /1"};
    for (const std::wstring& line : lines) {
        SCOPED_TRACE(std::string(line.begin(), line.end()));
        Process page;
        ASSERT_TRUE(page.Start(line));
        EXPECT_NE(page.Wait(30s), static_cast<DWORD>(STILL_ACTIVE)) << "the page did not end";
        page.Kill();
        EXPECT_TRUE(witness.Heard().empty()) << "a window heard from a page without its launcher";
        EXPECT_TRUE(IsWindow(witness.hwnd));
    }
}

}  // namespace
