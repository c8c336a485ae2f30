// The login artwork: a picture with its own per-pixel transparency shown as a
// layered top-level window, dragged from any point, carrying the login page
// exactly on top of itself. Its modal result tells the page process what to do
// next: 1 open the chosen game, 2 ask the launcher to close this tab.
#pragma once
#include <windows.h>

#include "framework/dialog.h"
#include "framework/gdi_handles.h"
#include "framework/handles.h"
#include "common/display_scale.h"

namespace ovn {

class CLoginBkDlg : public fw::Dialog {
public:
    // page: the window carried over the picture (the login page), created on
    // template 157 with this window as its owner once the picture is shown. It
    // must outlive this object's window.
    CLoginBkDlg(HWND owner, fw::Dialog& page);
    ~CLoginBkDlg() override;

    INT_PTR DoModal() { return fw::Dialog::DoModal(m_owner); }

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

    // The picture as the window hands it to the system: premultiplied 32-bit
    // pixels, rows top-down. Null without a picture.
    HBITMAP LayeredBitmap() const { return m_bmpLayered.get(); }

protected:
    bool OnInitDialog() override;
    bool PreTranslateMessage(MSG& msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // It centres itself in the work area: its owner, the launcher, is a 1 x 1
    // window in a corner while the first login runs.
    bool CentreAfterInit() const override { return false; }

private:
    static constexpr UINT_PTR kTimerLauncherAlive = 2;
    static constexpr UINT kLauncherAliveMs = 800;

    void LoadPicture(DisplayScale scale);
    void PaintLayered(POINT topLeft);

    HWND m_owner;
    fw::Dialog& m_page;
    fw::gdi::Bitmap m_bmpLayered;
    int m_nWidth = 0;
    int m_nHeight = 0;
};

}  // namespace ovn
