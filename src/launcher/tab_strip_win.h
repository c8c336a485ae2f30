// The launcher's page tab strip on screen: it is painted into the launcher's
// background after the frame, and it reads the mouse messages the launcher gets
// over its caption band. For the keyboard it has a window of its own, without
// area, the launcher's first tab stop: with the keyboard there, the current tab
// bears a focus mark, the arrows, Home and End select and Delete closes, as in
// a tab control, and the window answers for the strip to assistive technology
// (tab_access_win.h). Its rules are tab_strip.h and tab_access.h; this holds
// the images, the tooltip, the keyboard window and the calls into the system.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "launcher/tab_access.h"
#include "launcher/tab_strip.h"
#include "skin/gdi.h"

namespace ovn {

// What the strip needs of the launcher.
class TabStripHost {
public:
    // The tabs now (the focus is the strip's to fill in).
    virtual launcher::TabListSnapshot Tabs() const = 0;
    // Chosen from the keyboard or by assistive technology.
    virtual void SelectTabFromKeyboard(int index) = 0;
    virtual void CloseTabFromKeyboard(int index) = 0;

protected:
    ~TabStripHost() = default;
};

class CTabStrip {
public:
    CTabStrip() = default;
    CTabStrip(const CTabStrip&) = delete;
    CTabStrip& operator=(const CTabStrip&) = delete;

    // The tab and close-box images, the tooltip and the keyboard window, once
    // the launcher exists.
    void SetUp(HWND launcher, TabStripHost& host);
    // The launcher's scale: the strip's places and images follow it.
    void SetScale(DisplayScale scale);
    // The tabs, the current one or the keyboard's place changed: listeners are
    // told, and the focus mark follows.
    void Changed();
    // The tooltip times itself from the mouse messages it is shown.
    void RelayEvent(MSG& msg) const;

    // Draws the first `tabs` tabs over the frame already painted into dc.
    void Paint(HDC dc, HFONT font, std::size_t tabs, const std::vector<std::wstring>& labels, int selected) const;
    // The window that takes the keyboard for the strip.
    HWND KeyWindow() const { return m_keys; }

    // The mouse at a client point; overCaption: the frame's hit test said caption.
    void MouseAt(POINT client, std::size_t tabs, const std::vector<std::wstring>& labels, bool overCaption);
    void MouseLeft();
    // A left press over the strip: the tab to show, or -1; false when not over it.
    bool Press(POINT client, std::size_t tabs, int selected, bool hallShown, int& show);
    void ForgetHover() { m_state.ForgetHover(); }

    const launcher::TabStrip& State() const { return m_state; }
    HWND Tooltip() const { return m_tabTip; }

private:
    static LRESULT CALLBACK KeyWindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    launcher::TabListSnapshot Snapshot() const;
    void Repaint(const std::vector<launcher::Span>& spans) const;

    HWND m_launcher = nullptr;
    void LoadImages();

    launcher::TabStrip m_state;  // hover, close box, tooltip and leave tracking
    gdi::ImageList m_imgTabs;
    gdi::ImageList m_imgClose;
    HWND m_tabTip = nullptr;  // owned by the launcher window: destroyed with it
    HWND m_keys = nullptr;    // a child of the launcher window: destroyed with it
    TabStripHost* m_host = nullptr;
    launcher::TabListSnapshot m_announced;  // what listeners were last told
};

}  // namespace ovn
