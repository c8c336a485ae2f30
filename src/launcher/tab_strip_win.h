// The launcher's page tab strip on screen: no window of its own, it is painted
// into the launcher's background after the frame, and it reads the mouse
// messages the launcher gets over its caption band. Its rules are tab_strip.h;
// this holds the images, the tooltip and the calls into the system.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "launcher/tab_strip.h"
#include "skin/gdi.h"

namespace ovn {

class CTabStrip {
public:
    CTabStrip() = default;
    CTabStrip(const CTabStrip&) = delete;
    CTabStrip& operator=(const CTabStrip&) = delete;

    // The tab and close-box images and the tooltip, once the launcher exists.
    void SetUp(HWND launcher);
    // The tooltip times itself from the mouse messages it is shown.
    void RelayEvent(MSG& msg) const;

    // Draws the first `tabs` tabs over the frame already painted into dc.
    void Paint(HDC dc, HFONT font, std::size_t tabs, const std::vector<std::wstring>& labels, int selected) const;

    // The mouse at a client point; overCaption: the frame's hit test said caption.
    void MouseAt(POINT client, std::size_t tabs, const std::vector<std::wstring>& labels, bool overCaption);
    void MouseLeft();
    // A left press over the strip: the tab to show, or -1; false when not over it.
    bool Press(POINT client, std::size_t tabs, int selected, bool hallShown, int& show);
    void ForgetHover() { m_state.ForgetHover(); }

    const launcher::TabStrip& State() const { return m_state; }
    HWND Tooltip() const { return m_tabTip; }

private:
    void Repaint(const std::vector<launcher::Span>& spans) const;

    HWND m_launcher = nullptr;
    launcher::TabStrip m_state;  // hover, close box, tooltip and leave tracking
    gdi::ImageList m_imgTabs;
    gdi::ImageList m_imgClose;
    HWND m_tabTip = nullptr;  // owned by the launcher window: destroyed with it
};

}  // namespace ovn
