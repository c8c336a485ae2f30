// The launcher window: one skinned window whose caption band holds the tabs of up
// to three game pages (each a process of its own, adopted as a child window), a
// few title-strip buttons and, below, the page of the current tab or the game
// hall. It runs modally from start-up; when it ends, the launcher process ends.
#pragma once
#include <windows.h>

#include <string>

#include "common/input.h"
#include "framework/handles.h"
#include "launcher/launcher_input.h"
#include "launcher/page_slots.h"
#include "launcher/tab_strip_win.h"
#include "net/pop_info_dlg.h"
#include "settings/add_acc_dlg.h"
#include "skin/btn_ex.h"
#include "skin/dlg_ex.h"
#include "skin/gdi.h"
#include "skin/static_ex.h"

#include "res/resource.h"  // the template and control ids

namespace ovn {

// Timers of the launcher window.
constexpr UINT_PTR kTimerSound = 3;         // 400 ms from the first page: sound state, button images
constexpr UINT_PTR kTimerNotice = 4;        // the notice pop-up, once, a while after the first page arrived
constexpr UINT kNoticeDelayMs = 5000;
constexpr UINT_PTR kTimerClearCache = 7;    // cache clearing (nothing starts it yet)
constexpr UINT_PTR kTimerPendingWatch = 8;  // a page still logging in has not died silently
constexpr UINT kPendingWatchMs = 500;
constexpr UINT kPendingAbandonCheckMs = 50;  // a page that said it gives up is about to end
// Posted to itself by the keyboard hook: a boss key is waiting (see RunPendingHideToggles).
constexpr UINT kMsgHookHideToggle = WM_APP + 40;

class CKelvor3Dlg;

// Process-wide values of the launcher process.
extern CKelvor3Dlg* TheLauncher;  // set by the constructor; the keyboard hook reaches the window through it
extern HotkeySetting BossHotkey, SwitchHotkey, SoundHotkey;  // not loaded: nothing matches
extern int LastWidth;       // client width seen by the previous size change
extern int LastSoundImage;  // the sound state last put on the sound button

class CKelvor3Dlg : public skin::CDlgEx {
public:
    CKelvor3Dlg();
    ~CKelvor3Dlg() override;

    // Operations other features call.
    void ShowPage(HWND page);  // null: hide every page
    void ClosePage(int index);
    void ExitLauncher();
    void StartGamePage();
    void SwitchToNextPage();
    void RequestOtherAccount(WPARAM newTab);
    void ToggleGameHall();
    void ForceForeground();
    void ToggleHideAll();
    void LoadHotkeys();
    // The boss key's action, run once the keyboard hook that saw the key has returned.
    void RunPendingHideToggles();
    // The system-wide keyboard hook is in place (from the start until the exit).
    static bool KeyboardHookInstalled();

    // The page slots: windows in tab order, their labels, the hall, the current tab.
    const launcher::PageSlots& Slots() const { return m_slots; }
    HWND PageWindow(std::size_t index) const;
    HWND CurrentPage() const { return ToHwnd(m_slots.Current()); }
    HWND HallWindow() const { return ToHwnd(m_slots.Hall()); }
    HANDLE PendingProcess() const { return m_hPendingProcess.get(); }

    // Which executable the children run: this one, unless a test puts a stand-in there.
    void SetChildProgram(std::wstring path) { m_childProgram = std::move(path); }
    const std::wstring& ChildProgram() const { return m_childProgram; }

    // Title-strip controls.
    skin::CBtnEx m_btnHide;
    skin::CBtnEx m_btnSound;
    skin::CBtnEx m_btnMenu;
    skin::CBtnEx m_btnHall;
    skin::CStaticEx m_lnkOtherAccount;
    settings::CAddAccDlg m_addAccDlg;  // its window is made the first time the link is clicked
    net::CPopInfoDlg m_popInfoDlg;     // the notice pop-up (notice_popup.cpp)

    launcher::PageSlots m_slots;  // m_pages, m_labels, m_hallWnd, m_nSelected
    fw::Handle m_hPendingProcess;  // the newest page process whose window has not arrived
    CTabStrip m_tabStrip;  // the tabs painted into the caption band, with their tooltip
    int m_bMuted = 0;
    int m_bHallShown = 0;
    OSVERSIONINFOW m_osVersion{};
    HICON m_hIcon = nullptr;

protected:
    bool OnInitDialog() override;
    // It stays 1 x 1 at the screen's corner until its first page arrives.
    bool CentreAfterInit() const override { return false; }
    void OnOK() override {}  // Enter never closes the launcher
    void OnCancel() override;
    bool PreTranslateMessage(MSG& msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintOverFrame(HDC dc, int width, int height) override;  // the tabs (tab_strip_win.cpp)

private:
    static HWND ToHwnd(launcher::WindowId id) { return reinterpret_cast<HWND>(id); }
    static launcher::WindowId ToId(HWND hwnd) { return reinterpret_cast<launcher::WindowId>(hwnd); }

    void DoDataExchange();
    void SetUpSkin();
    LRESULT ClaimLabel(const COPYDATASTRUCT* data);
    LRESULT AdoptWindow(HWND window, bool isHall);
    void PlacePagesOnSize(UINT type);
    void OnSize(int width);  // title-strip controls after the frame has sized itself
    bool ClampWindowSize(WINDOWPOS* pos);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    // A close request, however it reached the window: true when it was dealt with.
    bool HandleCloseRequest(WPARAM command, LPARAM lParam);
    // What the input rules need to know of the window right now, and the
    // carrying out of their decision (true: the message is used up).
    launcher::LauncherState InputState() const;
    bool ApplyInputAction(launcher::LauncherAction action, const MSG& msg);
    void PlaceInPageArea(HWND window);
    void InvalidateSpan(int left, int top, int right, int bottom);
    void CheckPendingProcess();
    bool PagePending();  // a page process we started is still on its way
    bool HallProcessStarting();
    HWND LiveHall();     // the hall's window, forgotten once it is gone
    launcher::Offerer OffererOf(HWND window) const;
    void OnFirstArrival();
    void ShowOtherAccountPrompt();  // the link was clicked

    // Seams: each arrives with the feature named in its definition's comment.
    void InstallKeyboardHook();
    void RemoveKeyboardHook();
    void SetTrayIcon(bool add);
    void OnTrayNotify(WPARAM id, LPARAM mouseMessage);
    void ShowTrayMenu();
    void ShowSystemMenu();
    void ShowNoticePopup();
    void StartCacheClearing();

    // The tab strip's messages (tab_strip_win.cpp); false leaves the message to the frame.
    bool HandleTabStripMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    std::wstring m_childProgram;
    fw::Handle m_hHallProcess;  // the hall process until its window arrives
    gdi::Bitmap m_bmpSoundOn, m_bmpSoundOff, m_bmpHallHidden, m_bmpHallShown;
    gdi::Bitmap m_bmpHide, m_bmpMenu;
    bool m_bAsking = false;   // the quit question is open
    bool m_bExiting = false;  // ExitLauncher ran
    bool m_bPendingAbandoned = false;  // the pending page said it gave up its login
};

}  // namespace ovn
