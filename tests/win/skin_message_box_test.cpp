// The skinned message box run for real: its answers, the keys it ignores, its
// size and buttons, its owner and where it appears.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/window.h"
#include "skin/message_box.h"
#include "skin_test_support.h"

using namespace ovn::skin;
namespace gdi = ovn::gdi;

namespace {

constexpr const wchar_t* kCaption = L"QuenraOrvane";

// Steps run from a thread timer while the box's modal loop spins: each gets the
// box's window once it is up. A step returning false is tried again later.
struct Script {
    std::vector<std::function<bool(HWND box)>> steps;
    std::size_t next = 0;
    UINT_PTR timer = 0;
    DWORD started = 0;
};
Script* g_script = nullptr;

HWND FindBox() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) CALLBACK -> BOOL {
            wchar_t cls[16] = {}, text[64] = {};
            GetClassNameW(h, cls, 16);
            GetWindowTextW(h, text, 64);
            if (IsWindowVisible(h) && std::wstring(cls) == L"#32770" && std::wstring(text) == kCaption) {
                *reinterpret_cast<HWND*>(lp) = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    Script* s = g_script;
    if (!s || s->next >= s->steps.size())
        return;
    if (GetTickCount() - s->started > 10000) {  // never hang the run: give up
        if (HWND box = FindBox())
            DestroyWindow(box);
        ADD_FAILURE() << "script step " << s->next << " never completed";
        s->next = s->steps.size();
        return;
    }
    HWND box = FindBox();
    if (!box)
        return;
    if (s->steps[s->next](box))
        ++s->next;
}

// Runs the box with the script; returns its result.
int RunScripted(int type, const wchar_t* text, std::vector<std::function<bool(HWND)>> steps,
                HWND owner = nullptr) {
    Script script;
    script.steps = std::move(steps);
    script.started = GetTickCount();
    g_script = &script;
    script.timer = SetTimer(nullptr, 0, 60, &OnTimer);
    const int result = ShowMessageBox(type, kCaption, text, owner);
    KillTimer(nullptr, script.timer);
    g_script = nullptr;
    EXPECT_EQ(script.next, script.steps.size()) << "not every step ran";
    return result;
}

std::function<bool(HWND)> Click(int id) {
    return [id](HWND box) {
        HWND b = GetDlgItem(box, id);
        EXPECT_NE(b, nullptr) << id;
        if (b)
            SendMessageW(b, BM_CLICK, 0, 0);
        return true;
    };
}

CBtnEx* ButtonOf(HWND box, int id) {
    return dynamic_cast<CBtnEx*>(fw::Window::FromHandle(GetDlgItem(box, id)));
}

RECT ClientRectOf(HWND box, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(box, id), &r);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

TEST(SkinMessageBox, YesNoAnswers) {
    EXPECT_EQ(RunScripted(4, L"窗口即将关闭，确定要退出游戏？", {Click(5000)}), 6);
    EXPECT_EQ(RunScripted(4, L"窗口即将关闭，确定要退出游戏？", {Click(5001)}), 7);
    EXPECT_EQ(RunScripted(4, L"窗口即将关闭，确定要退出游戏？", {Click(50000)}), 2);
    EXPECT_EQ(RunScripted(4, L"close", {[](HWND box) {
                              PostMessageW(box, WM_CLOSE, 0, 0);
                              return true;
                          }}),
              2);
}

TEST(SkinMessageBox, OkCancelAndOkAlone) {
    EXPECT_EQ(RunScripted(1, L"下载?", {Click(5000)}), 1);
    EXPECT_EQ(RunScripted(1, L"下载?", {Click(5001)}), 2);
    EXPECT_EQ(RunScripted(0, L"notice", {[](HWND box) {
                              EXPECT_EQ(GetDlgItem(box, 5001), nullptr);
                              CBtnEx* b = ButtonOf(box, 5000);
                              EXPECT_NE(b, nullptr);
                              EXPECT_TRUE(b && b->m_strText == L"确定");
                              return true;
                          },
                                                Click(5000)}),
              1);
    EXPECT_EQ(RunScripted(0, L"notice", {Click(50000)}), 2);
}

TEST(SkinMessageBox, EnterAndEscLeaveItOpen) {
    HWND seen = nullptr;
    const int result = RunScripted(
        4, L"still here?",
        {[&](HWND box) {
             seen = box;
             SetForegroundWindow(box);
             HWND target = GetFocus() ? GetFocus() : box;
             PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0);
             PostMessageW(target, WM_KEYUP, VK_RETURN, 0);
             PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
             PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0);
             PostMessageW(box, WM_COMMAND, IDOK, 0);  // what the dialog manager sends for Enter
             PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
             return true;
         },
         [&](HWND box) {
             // Checked once the box's loop has taken every key and command, and
             // what they posted in turn, from the queue.
             if (HIWORD(GetQueueStatus(QS_ALLINPUT)) & (QS_POSTMESSAGE | QS_INPUT | QS_SENDMESSAGE))
                 return false;
             EXPECT_EQ(box, seen);
             EXPECT_TRUE(IsWindowVisible(box));
             return true;
         },
         Click(5000)});
    EXPECT_EQ(result, 6);
}

TEST(SkinMessageBox, SizeButtonsAndCaptions) {
    const wchar_t* text = L"第一行\n第二行比第一行更长一些\n";
    RunScripted(4, text, {[&](HWND box) {
                              RECT wr{}, cr{};
                              GetWindowRect(box, &wr);
                              GetClientRect(box, &cr);
                              const int cw = wr.right - wr.left, ch = wr.bottom - wr.top;
                              EXPECT_EQ(cr.right, cw);
                              EXPECT_EQ(cr.bottom, ch);

                              // The layout rule with the box's own font and the real strip (57 x 23).
                              HFONT font = reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0));
                              HDC dc = GetDC(box);
                              HGDIOBJ old = SelectObject(dc, font);
                              TEXTMETRICW tm{};
                              GetTextMetricsW(dc, &tm);
                              RECT line{};
                              DrawTextW(dc, L"第二行比第一行更长一些", -1, &line, DT_CALCRECT | DT_SINGLELINE);
                              SelectObject(dc, old);
                              ReleaseDC(box, dc);
                              const auto l = LayoutMessageBox(4, line.right, tm.tmHeight * 3, 3, Size{228, 23});
                              EXPECT_EQ(cw, l.window.cx);
                              EXPECT_EQ(ch, l.window.cy);  // room for the trailing empty line
                              const RECT b1 = ClientRectOf(box, 5000), b2 = ClientRectOf(box, 5001);
                              EXPECT_EQ(b1.left, l.button1.left);
                              EXPECT_EQ(b1.top, ch - 30 - 23);
                              EXPECT_EQ(b1.right - b1.left, 57);
                              EXPECT_EQ(b2.left, cw / 2 + 10);
                              EXPECT_EQ(b2.bottom, ch - 30);
                              CBtnEx* yes = ButtonOf(box, 5000);
                              CBtnEx* no = ButtonOf(box, 5001);
                              EXPECT_TRUE(yes && yes->m_strText == L"是");
                              EXPECT_TRUE(no && no->m_strText == L"否");

                              // Automation and screen readers find the answers and the text by name.
                              wchar_t name[16] = {};
                              GetWindowTextW(GetDlgItem(box, 5000), name, 16);
                              EXPECT_STREQ(name, L"是");
                              std::vector<wchar_t> all(256);
                              GetWindowTextW(GetDlgItem(box, 5002), all.data(), 256);
                              EXPECT_STREQ(all.data(), text);
                              EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, 5002)));

                              // The close button is there.
                              EXPECT_NE(GetDlgItem(box, 50000), nullptr);
                              return true;
                          },
                          Click(5001)});
}

TEST(SkinMessageBox, LaidOutAgainAtANewScale) {
    // Moved to a monitor at 150 %: the 150 % text-button strip (cells of
    // 86 x 35) and the buttons placed by the rule at that scale.
    RunScripted(4, L"第一行", {[&](HWND box) {
                                  RECT wr{};
                                  GetWindowRect(box, &wr);
                                  SendMessageW(box, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                                               reinterpret_cast<LPARAM>(&wr));
                                  RECT cr{};
                                  GetClientRect(box, &cr);
                                  const RECT b1 = ClientRectOf(box, 5000), b2 = ClientRectOf(box, 5001);
                                  EXPECT_EQ(b1.right - b1.left, 86);
                                  EXPECT_EQ(b1.bottom - b1.top, 35);
                                  EXPECT_EQ(b2.right - b2.left, 86);
                                  EXPECT_EQ(b2.bottom, cr.bottom - DisplayScale(144).Px(30));
                                  return true;
                              },
                              Click(5001)});
}

TEST(SkinMessageBox, OwnedAndCentredOverItsOwner) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 200, 150, 600, 400,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, owner,
                                 nullptr, nullptr, nullptr);
    const long live = gdi::LiveObjects();
    const int result = RunScripted(
        0, L"centred",
        {[&](HWND box) {
             EXPECT_EQ(GetWindow(box, GW_OWNER), owner);  // the child's top-level window
             EXPECT_FALSE(IsWindowEnabled(owner));
             RECT r{};
             GetWindowRect(box, &r);
             EXPECT_NEAR((r.left + r.right) / 2, 200 + 300, 1);
             EXPECT_NEAR((r.top + r.bottom) / 2, 150 + 200, 1);
             return true;
         },
         Click(5000)},
        child);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(gdi::LiveObjects(), live);  // every skin image went back
    DestroyWindow(owner);

    // Without a usable owner: centred in the work area.
    RunScripted(0, L"alone", {[](HWND box) {
                                  RECT r{}, wa{};
                                  GetWindowRect(box, &r);
                                  SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
                                  EXPECT_NEAR((r.left + r.right) / 2, (wa.left + wa.right) / 2, 1);
                                  EXPECT_NEAR((r.top + r.bottom) / 2, (wa.top + wa.bottom) / 2, 1);
                                  return true;
                              },
                              Click(5000)});
}

namespace {

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The box stays on the work area with its buttons on it, and the hidden label
// still carries the whole text.
std::function<bool(HWND)> ExpectFitsScreen(const std::wstring& text) {
    return [text](HWND box) {
        RECT wr{}, wa{};
        GetWindowRect(box, &wr);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
        EXPECT_TRUE(Inside(wr, wa)) << wr.left << "," << wr.top << " " << wr.right << ","
                                    << wr.bottom;
        for (int id : {5000, 5001}) {
            RECT b{};
            EXPECT_TRUE(GetWindowRect(GetDlgItem(box, id), &b)) << id;
            EXPECT_TRUE(Inside(b, wr)) << id;
            EXPECT_TRUE(Inside(b, wa)) << id;
            EXPECT_EQ(b.right - b.left, 57);
        }
        HWND label = GetDlgItem(box, 5002);
        std::vector<wchar_t> all(text.size() + 2);
        EXPECT_EQ(GetWindowTextW(label, all.data(), static_cast<int>(all.size())),
                  static_cast<int>(text.size()));
        EXPECT_EQ(std::wstring(all.data()), text);
        return true;
    };
}

// Rows with a dark (text) pixel inside the box's text column, in client coordinates.
std::vector<bool> InkedRows(HWND box) {
    UpdateWindow(box);
    const skintest::Pixels px = skintest::CaptureWindow(box);
    std::vector<bool> inked(static_cast<std::size_t>(px.h), false);
    for (int y = 0; y < px.h; ++y)
        for (int x = 30; x < px.w - 30 && !inked[static_cast<std::size_t>(y)]; ++x) {
            const COLORREF c = px.at(x, y);
            inked[static_cast<std::size_t>(y)] = GetRValue(c) + GetGValue(c) + GetBValue(c) < 200;
        }
    return inked;
}

}  // namespace

TEST(SkinMessageBoxLongText, StaysOnScreenAndAnswers) {
    // One line of 3 000 characters without a blank: wrapped, not cut.
    const std::wstring line(3000, L'W');
    EXPECT_EQ(RunScripted(1, line.c_str(), {ExpectFitsScreen(line), Click(5001)}), 2);

    // 200 lines: cut above the buttons, the last row drawn right above the gap.
    std::wstring lines;
    for (int i = 1; i <= 200; ++i)
        lines += L"第" + std::to_wstring(i) + L"行\n";
    EXPECT_EQ(RunScripted(1, lines.c_str(),
                          {ExpectFitsScreen(lines),
                           [](HWND box) {
                               RECT cr{};
                               GetClientRect(box, &cr);
                               const std::vector<bool> inked = InkedRows(box);
                               const int buttonsTop = cr.bottom - 30 - 23;
                               // The eight pixels above the buttons stay clear; the row
                               // above them has text.
                               bool gap = false, lastRow = false;
                               for (int y = buttonsTop - 8; y < buttonsTop; ++y)
                                   gap = gap || inked[static_cast<std::size_t>(y)];
                               for (int y = buttonsTop - 30; y < buttonsTop - 8; ++y)
                                   lastRow = lastRow || inked[static_cast<std::size_t>(y)];
                               EXPECT_FALSE(gap);
                               EXPECT_TRUE(lastRow);
                               return true;
                           },
                           Click(5000)}),
              1);

    // The tab-closing question naming a 1 024-character label.
    const std::wstring question = L"确定要退出账号：" + std::wstring(1024, L'a') + L" ?";
    EXPECT_EQ(RunScripted(4, question.c_str(), {ExpectFitsScreen(question), Click(5000)}), 6);
}
