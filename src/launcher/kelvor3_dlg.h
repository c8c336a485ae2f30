// The launcher window: one skinned window whose caption band holds the tabs of up
// to three game pages (each a process of its own, adopted as a child window), a
// few title-strip buttons and, below, the page of the current tab or the game
// hall. It runs modally from start-up; when it ends, the launcher process ends.
#pragma once
#include <windows.h>

#include <string>

#include "browser/cache_rules.h"
#include "common/input.h"
#include "framework/handles.h"
#include "framework/worker.h"
#include "launcher/launcher_input.h"
#include "launcher/launcher_messages.h"
#include "launcher/menu_rules.h"
#include "launcher/page_processes.h"
#include "launcher/tab_strip_win.h"
#include "launcher/tray_icon.h"
#include "downloads/download_worker.h"
#include "downloads/pop_info_dlg.h"
#include "downloads/update.h"
#include "launcher/add_acc_dlg.h"
#include "skin/btn_ex.h"
#include "skin/dlg_ex.h"
#include "skin/gdi.h"
#include "skin/static_ex.h"

#include "res/resource.h"  // the template and control ids

namespace ovn {

constexpr UINT kNoticeDelayMs = 5000;

class CKelvor3Dlg;

// Process-wide values of the launcher process.
extern CKelvor3Dlg* TheLauncher;  // set by the constructor; the keyboard hook reaches the window through it
extern HotkeySetting BossHotkey, SwitchHotkey, SoundHotkey;  // not loaded: nothing matches
extern int LastWidth;       // client width seen by the previous size change
extern int LastSoundImage;  // the sound state last put on the sound button

class CKelvor3Dlg : public skin::CDlgEx, private PageProcessEvents, private TabStripHost {
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
    const launcher::PageSlots& Slots() const { return m_processes.Slots(); }
    HWND PageWindow(std::size_t index) const { return m_processes.PageWindow(index); }
    HWND CurrentPage() const { return m_processes.CurrentPage(); }
    HWND HallWindow() const { return m_processes.HallWindow(); }
    bool TrayIconShown() const { return m_trayIcon.Active(); }
    HANDLE PendingProcess() const { return m_processes.PendingProcess(); }

    // Which executable the children run: this one, unless a test puts a stand-in there.
    void SetChildProgram(std::wstring path) { m_processes.SetChildProgram(std::move(path)); }
    const std::wstring& ChildProgram() const { return m_processes.ChildProgram(); }

    // Title-strip controls.
    skin::CBtnEx m_btnHide;
    skin::CBtnEx m_btnSound;
    skin::CBtnEx m_btnMenu;
    skin::CBtnEx m_btnHall;
    skin::CStaticEx m_lnkOtherAccount;
    CAddAccDlg m_addAccDlg;  // its window is made the first time the link is clicked
    downloads::CPopInfoDlg m_popInfoDlg;     // the notice pop-up (launcher_commands.cpp)

    PageProcesses m_processes{*this};  // the pages' and the hall's processes and windows
    CTabStrip m_tabStrip;  // the tabs painted into the caption band, with their tooltip
    int m_bMuted = 0;
    int m_bHallShown = 0;
    unsigned m_windowsMajor = 0;
    HICON m_hIcon = nullptr;

protected:
    bool OnInitDialog() override;
    // It stays 1 x 1 at the screen's corner until its first page arrives.
    bool CentreAfterInit() const override { return false; }
    void OnOK() override {}  // Enter never closes the launcher
    void OnCancel() override;
    bool PreTranslateMessage(MSG& msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintOverFrame(HDC dc, int width, int height) override;  // the tabs
    void CutFromShape(HRGN shape) override;

private:
    void CreateTitleControls();
    void DoDataExchange();
    // The frame's settings and its 1 x 1 size, at once; its pictures (the frame,
    // the buttons, the tabs) once the first login is on screen, or at the
    // latest when the first page arrives: decoding them at start would compete
    // with the login the player is waiting for.
    void SetUpFrame();
    void EnsureSkin();
    void LoadSkins();  // the frame's and the title strip's images, for the window's scale
    void OnScaleChanged() override;
    void OnLoginShown(WPARAM wParam, LPARAM lParam);
    LRESULT AdoptWindow(HWND window, bool isHall);
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
    void InvalidateSpan(int left, int top, int right, int bottom);
    // The life cycle's turns (PageProcessEvents).
    void OnFirstArrival() override;
    void OnNothingLeftToShow() override { ExitLauncher(); }
    void ShowOtherAccountPrompt();  // the link was clicked
    // The tab strip's keyboard and assistive technology (launcher_input_win.cpp).
    launcher::TabListSnapshot Tabs() const override;
    void SelectTabFromKeyboard(int index) override;
    void CloseTabFromKeyboard(int index) override { ClosePage(index); }

    // The system-wide keyboard hook (launcher_input_win.cpp).
    void InstallKeyboardHook();
    void RemoveKeyboardHook();

    // The tray icon, the menus and their commands (launcher_commands.cpp).
    void SetTrayIcon(bool add);
    void OnTrayNotify(WPARAM id, LPARAM mouseMessage);
    void ShowTrayMenu();
    void ShowSystemMenu();
    void RunMenuCommand(launcher::MenuKind kind, unsigned id);
    void OpenSettings();
    void StartCacheClearing();
    void ShowCachesClearedMessage();
    // The tray's and the menus' own messages; false when msg is none of them.
    bool HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // "更新": the check on a worker, its answer back here (launcher_commands.cpp).
    void StartUpdateCheck();
    void AnswerUpdateCheck(WPARAM found);
    // The workers' ends and the answers that waited for the launcher to be
    // seen; false when msg is none of them.
    bool HandleWorkerMessage(UINT msg);

    // The notice pop-up, once a while after the first page arrived (launcher_commands.cpp).
    void ShowNoticePopup();

    // The tab strip's messages (launcher_input_win.cpp); false leaves the message to the frame.
    bool HandleTabStripMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    gdi::Bitmap m_bmpSoundOn, m_bmpSoundOff, m_bmpHallHidden, m_bmpHallShown;
    gdi::Bitmap m_bmpHide, m_bmpMenu;
    bool m_bAsking = false;   // the quit question is open
    bool m_bMenuOpen = false; // the system or the tray menu is open
    bool m_bExiting = false;  // ExitLauncher ran
    bool m_bSkinLoaded = false;
    TrayIcon m_trayIcon;
    browser::ClearingTurns m_clearingTurns;  // one clearing at a time, its message after the work
    fw::Worker m_cacheWorker;  // the clearing; stopped before the window goes
    // The update check: one at a time, its "nothing new" only while the
    // launcher is seen (the same turns as a clearing's).
    browser::ClearingTurns m_updateTurns;
    downloads::Updater m_updater;
    downloads::DownloadWorker m_updateWorker;  // after what it fills: it ends first
};

}  // namespace ovn
