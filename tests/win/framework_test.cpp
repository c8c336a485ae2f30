// The framework's contracts the windows rely on: the modal loop, the
// pre-translation walk, control binding and the end of the message loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/app.h"
#include "framework/dialog.h"
#include "framework/frame.h"

namespace {

constexpr UINT kTestDialog = 9001;  // framework_test.rc
constexpr UINT kEdit = 9002;
constexpr UINT kMsgProbe = WM_APP + 1;
constexpr UINT kMsgEaten = WM_APP + 2;
constexpr UINT kMsgFinish = WM_APP + 3;

class OwnerWindow : public fw::Window {
public:
    OwnerWindow() {
        RegisterClass(L"FwTestOwner");
        Create(0, L"FwTestOwner", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr);
    }
};

// Records what the pump and the window procedure see, in order.
class ProbeDialog : public fw::Dialog {
public:
    ProbeDialog() : Dialog(kTestDialog) {}
    std::vector<std::string> log;
    bool ownerDisabledWhileRunning = false;
    HWND owner = nullptr;
    std::vector<UINT> toPost;  // posted from OnInitDialog, then kMsgFinish

    bool PreTranslateMessage(MSG& msg) override {
        if (msg.message == kMsgProbe)
            log.push_back("pre");
        if (msg.message == kMsgEaten)
            return true;
        if (msg.message == WM_KEYDOWN && msg.wParam == 'Q')
            log.push_back(msg.hwnd == hwnd() ? "key-at-dialog" : "key-from-child");
        return Dialog::PreTranslateMessage(msg);
    }

protected:
    bool OnInitDialog() override {
        for (UINT m : toPost)
            PostMessageW(hwnd(), m, 0, 0);
        return true;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case kMsgProbe:
            log.push_back("dispatch");
            return 0;
        case kMsgEaten:
            log.push_back("eaten-dispatched");
            return 0;
        case kMsgFinish:
            ownerDisabledWhileRunning = owner && !IsWindowEnabled(owner);
            EndDialog(static_cast<INT_PTR>(wParam ? wParam : 42));
            return 0;
        }
        return Dialog::WindowProc(msg, wParam, lParam);
    }
};

TEST(FrameworkModal, ReturnsEndDialogResultAndReenablesOwner) {
    OwnerWindow owner;
    ASSERT_TRUE(owner.hwnd());
    ProbeDialog dlg;
    dlg.owner = owner.hwnd();
    dlg.toPost = {kMsgFinish};
    EXPECT_EQ(dlg.DoModal(owner.hwnd()), 42);
    EXPECT_TRUE(dlg.ownerDisabledWhileRunning);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
    EXPECT_EQ(dlg.hwnd(), nullptr);  // the dialog is gone after its run
}

TEST(FrameworkModal, PreTranslationSeesPostedMessagesBeforeDispatchAndCanEatThem) {
    ProbeDialog dlg;
    dlg.toPost = {kMsgProbe, kMsgEaten, kMsgFinish};
    EXPECT_EQ(dlg.DoModal(), 42);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"pre", "dispatch"}));
}

// A key posted to a child control reaches the dialog's pre-translation through
// the walk up the parents; Esc then goes to the dialog manager and cancels.
class KeyDialog : public ProbeDialog {
protected:
    bool OnInitDialog() override {
        HWND edit = GetDlgItem(hwnd(), kEdit);
        PostMessageW(edit, WM_KEYDOWN, 'Q', 0);
        PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
    }
};

TEST(FrameworkModal, KeysWalkUpFromChildAndEscCancels) {
    KeyDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"key-from-child"}));
}

TEST(FrameworkModal, DialogDestroyedFromOutsideEndsTheLoop) {
    class Doomed : public ProbeDialog {
    protected:
        bool OnInitDialog() override {
            PostMessageW(hwnd(), WM_APP + 9, 0, 0);
            return true;
        }
        LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
            if (msg == WM_APP + 9) {
                DestroyWindow(hwnd());
                return 0;
            }
            return ProbeDialog::WindowProc(msg, w, l);
        }
    } dlg;
    EXPECT_EQ(dlg.DoModal(), -1);  // nobody called EndDialog
}

// Control binding: a subclassed control's messages reach its object, and
// unbinding gives the control back untouched.
class CountingButton : public fw::Window {
public:
    int clicks = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == WM_LBUTTONUP)
            ++clicks;
        return Window::WindowProc(msg, w, l);
    }
};

TEST(FrameworkBinding, SubclassRoutesMessagesAndUnsubclassDetaches) {
    OwnerWindow owner;
    HWND button = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, owner.hwnd(), nullptr,
                                  nullptr, nullptr);
    ASSERT_TRUE(button);
    CountingButton bound;
    ASSERT_TRUE(bound.Subclass(button));
    EXPECT_EQ(fw::Window::FromHandle(button), &bound);
    EXPECT_FALSE(CountingButton().Subclass(button));  // one object per window
    SendMessageW(button, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(bound.clicks, 1);
    bound.Unsubclass();
    EXPECT_EQ(fw::Window::FromHandle(button), nullptr);
    SendMessageW(button, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(bound.clicks, 1);
    EXPECT_TRUE(IsWindow(button));
}

// Another subclass stacked above ours must keep working when we let go, and the
// control's own procedure must still do its work underneath both.
WNDPROC g_aboveOurs = nullptr;
int g_aboveOursSaw = 0;
LRESULT CALLBACK AboveOursProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_LBUTTONUP)
        ++g_aboveOursSaw;
    return CallWindowProcW(g_aboveOurs, h, msg, w, l);
}

TEST(FrameworkBinding, LettingGoUnderAnotherSubclassKeepsTheChain) {
    OwnerWindow owner;
    HWND button = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, owner.hwnd(), nullptr,
                                  nullptr, nullptr);
    ASSERT_TRUE(button);
    const LONG_PTR own = GetWindowLongPtrW(button, GWLP_WNDPROC);

    {  // alone: letting go puts the control's own procedure back
        CountingButton bound;
        ASSERT_TRUE(bound.Subclass(button));
        EXPECT_NE(GetWindowLongPtrW(button, GWLP_WNDPROC), own);
    }
    EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), own);

    CountingButton bound;
    ASSERT_TRUE(bound.Subclass(button));
    g_aboveOurs = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AboveOursProc)));
    g_aboveOursSaw = 0;
    SendMessageW(button, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(bound.clicks, 1);
    bound.Unsubclass();
    EXPECT_EQ(GetWindowLongPtrW(button, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&AboveOursProc));
    SendMessageW(button, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(g_aboveOursSaw, 2);
    EXPECT_EQ(bound.clicks, 1);
    SetWindowTextW(button, L"still a button");  // reaches the button's own procedure
    wchar_t text[32]{};
    GetWindowTextW(button, text, 32);
    EXPECT_STREQ(text, L"still a button");

    // Bound again while our procedure is still in the chain, then the window goes.
    CountingButton again;
    ASSERT_TRUE(again.Subclass(button));
    SendMessageW(button, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(again.clicks, 1);
    EXPECT_EQ(g_aboveOursSaw, 3);
    DestroyWindow(button);
    EXPECT_FALSE(again);
    EXPECT_EQ(fw::Window::FromHandle(button), nullptr);
}

TEST(FrameworkBinding, AnotherProcessWindowIsNotSubclassed) {
    HWND other = GetDesktopWindow();  // the desktop process's
    DWORD pid = 0;
    GetWindowThreadProcessId(other, &pid);
    ASSERT_NE(pid, GetCurrentProcessId());
    CountingButton bound;
    EXPECT_FALSE(bound.Subclass(other));
    EXPECT_FALSE(bound);
}

// The main window's destruction ends App::Run, and the frame keeps its one
// view sized to the client area.
class TestView : public fw::Window {};
class TestFrame : public fw::FrameWindow {
protected:
    std::unique_ptr<fw::Window> CreateView() override {
        auto view = std::make_unique<TestView>();
        RegisterClass(L"FwTestView");
        view->Create(0, L"FwTestView", L"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, hwnd(), kViewId);
        return view;
    }
};

class RunningApp : public fw::App {
public:
    using App::Run;
};

TEST(FrameworkFrame, ViewFillsClientAndMainWindowEndsTheLoop) {
    RunningApp app;
    TestFrame frame;
    RECT rc{10, 10, 410, 310};
    ASSERT_TRUE(frame.CreateFrame(L"frame", WS_OVERLAPPEDWINDOW, 0, rc, nullptr));
    ASSERT_TRUE(frame.View());
    RECT client, view;
    GetClientRect(frame.hwnd(), &client);
    GetClientRect(frame.View()->hwnd(), &view);
    EXPECT_EQ(view.right, client.right);
    EXPECT_EQ(view.bottom, client.bottom);
    app.SetMainWindow(&frame);
    PostMessageW(frame.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(frame.hwnd(), nullptr);
}

// Placement: a dialog that sizes itself without choosing a place is centred
// over its owner (or the work area); one that moves itself keeps its place.
class PlacedDialog : public fw::Dialog {
public:
    PlacedDialog() : Dialog(kTestDialog) {}
    bool moveItself = false;
    RECT seen{};
    HWND seenOwner = nullptr;

protected:
    bool OnInitDialog() override {
        SetWindowPos(hwnd(), nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (moveItself)
            SetWindowPos(hwnd(), nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (IsModal())
            PostMessageW(hwnd(), kMsgFinish, 0, 0);
        return true;
    }
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kMsgFinish) {
            GetWindowRect(hwnd(), &seen);
            seenOwner = GetWindow(hwnd(), GW_OWNER);
            EndDialog(IDOK);
            return 0;
        }
        return Dialog::WindowProc(msg, wParam, lParam);
    }
};

TEST(FrameworkPlacement, ModalDialogsAreOwnedByTheMainWindowAndCentredOverIt) {
    RunningApp app;
    OwnerWindow main;
    app.SetMainWindow(&main);
    SetWindowPos(main.hwnd(), nullptr, 100, 80, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);

    PlacedDialog dlg;  // no owner asked for
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.seenOwner, main.hwnd());
    EXPECT_EQ(dlg.seen.right - dlg.seen.left, 300);
    EXPECT_EQ(dlg.seen.left, 100 + (600 - 300) / 2);
    EXPECT_EQ(dlg.seen.top, 80 + (400 - 150) / 2);

    // Asked for a child of the main window: owned by its top-level window.
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, main.hwnd(), nullptr, nullptr, nullptr);
    PlacedDialog viaChild;
    ASSERT_EQ(viaChild.DoModal(child), IDOK);
    EXPECT_EQ(viaChild.seenOwner, main.hwnd());

    // A hidden or minimised owner: centred in the work area instead.
    ShowWindow(main.hwnd(), SW_HIDE);
    PlacedDialog overHidden;
    ASSERT_EQ(overHidden.DoModal(), IDOK);
    const RECT wa = fw::WorkArea();
    EXPECT_EQ(overHidden.seen.left, wa.left + (wa.right - wa.left - 300) / 2);
    EXPECT_EQ(overHidden.seen.top, wa.top + (wa.bottom - wa.top - 150) / 2);
    app.SetMainWindow(nullptr);
}

TEST(FrameworkPlacement, DialogsThatChooseTheirPlaceKeepIt) {
    OwnerWindow owner;
    SetWindowPos(owner.hwnd(), nullptr, 100, 80, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    PlacedDialog moved;
    moved.moveItself = true;
    ASSERT_EQ(moved.DoModal(owner.hwnd()), IDOK);
    EXPECT_EQ(moved.seen.left, 7);
    EXPECT_EQ(moved.seen.top, 9);

    // A modeless dialog beside an owner it does not block stays where it was made.
    PlacedDialog beside;
    ASSERT_TRUE(beside.CreateModeless(owner.hwnd()));
    RECT r{};
    GetWindowRect(beside.hwnd(), &r);
    EXPECT_NE(r.left, 100 + (600 - 300) / 2);
    EXPECT_EQ(r.right - r.left, 300);
    beside.Destroy();
}

}  // namespace
