// The skinned dialog frame every framed window of the program derives from: the
// system caption and border are taken away; the window is painted from one frame
// bitmap, shaped by the key-coloured pixels of its corners, dragged by its caption
// band, sized by its borders (when resizable), maximised to the work area by its
// own rule, and offers up to three system buttons with tooltips.
#pragma once
#include <initializer_list>
#include <vector>

#include "framework/dialog.h"
#include "skin/btn_ex.h"
#include "skin/gdi.h"
#include "skin/skin_geometry.h"

namespace ovn::skin {

constexpr UINT kIdSysClose = 50000;
constexpr UINT kIdSysMinimize = 50001;
constexpr UINT kIdSysMaximize = 50002;

// The frame's caption band and border, and where its system buttons sit (from
// the top-right corner inside the border). The defaults are the program's
// usual frame: a 30-pixel caption, 4-pixel borders, the buttons in the corner.
struct FrameSpacing {
    int captionHeight = 30;
    int borderWidth = 4;
    int buttonRightMargin = 0;
    int buttonTop = 0;
    int buttonGap = 0;
};

class CDlgEx : public fw::Dialog {
public:
    explicit CDlgEx(UINT templateId);
    ~CDlgEx() override;

    // Makes the window skinned. The frame, maximise and restore bitmaps become the
    // frame's; the minimise and close strips are only copied into their buttons
    // and stay with the caller. A null button image means no such button (the
    // minimise and maximise buttons come only with a close button). Returns 1.
    int SetSkin(gdi::Bitmap frame, bool fitToFrame, bool stretch, HBITMAP minimize,
                gdi::Bitmap maximize, gdi::Bitmap restore, HBITMAP close);
    // Before SetSkin, which places the system buttons by it.
    void SetFrameSpacing(const FrameSpacing& spacing);
    // The frame of the program's small dialogs (update progress, settings, game
    // download): the small-dialog frame image stretched, a 30-pixel caption
    // with this title, 4-pixel borders and the close button in the corner;
    // loaded anew when the window's scale changes.
    void SetSmallDialogSkin(const wchar_t* title);
    // Gives the dialog's text buttons the program's text-button strip (kept by the
    // dialog, and drawn anew for a new scale); with resize each button takes the
    // strip's cell size.
    void SetTextButtons(std::initializer_list<CBtnEx*> buttons, bool resize);
    // Sets the window text and repaints the title strip; callable from any thread.
    void SetCaptionText(const wchar_t* text);
    // Rebuilds the window's shape from the corners of the frame bitmap.
    void UpdateWindowRegion();
    void InvalidateSystemButtons();

    virtual void RequestClose();
    virtual void RequestMinimize();
    virtual int ToggleMaximize();
    virtual void UpdateMaximizeButton(bool maximized);

    // The scale the window is laid out at (LayoutScale), kept up to date.
    DisplayScale Scale() const { return m_scale; }

    bool m_bDrawTitle = true;
    bool m_bDrawIcon = true;
    int m_nCaptionHeight = -1;
    int m_nButtonRightMargin = 5;
    int m_nButtonTop = 1;
    int m_nButtonGap = 0;
    int m_nBorderWidth = 3;
    COLORREF m_crTitleText = 0xFFFFFF;
    int m_nTitleWeight = 400;
    gdi::Bitmap m_bmpFrame;
    gdi::Bitmap m_bmpTextButton;
    CBtnEx m_btnClose;
    CBtnEx m_btnMinimize;
    CBtnEx m_btnMaximize;
    SIZE m_sizeMax{};
    RECT m_rcRestore{};
    bool m_bMaximized = false;
    bool m_bResizable = false;
    bool m_bStretchFrame = false;
    gdi::Bitmap m_bmpMaximize;
    gdi::Bitmap m_bmpRestore;

protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The frame's message handlers, for derived windows that map the same
    // messages and want the frame's behaviour for part of them.
    BOOL OnEraseBkgnd(HDC dc);
    LRESULT OnNcHitTest(POINT screen);
    LRESULT OnNcLButtonDown(WPARAM hit, LPARAM point);
    LRESULT OnNcLButtonDblClk(WPARAM hit);
    LRESULT OnLButtonDblClk(LPARAM point);
    LRESULT OnSize(int cx);

    // Paints the frame bitmap over a window of w x h into dc.
    void PaintFrame(HDC dc, int w, int h);
    // The frame, icon, title and what a subclass paints over them, into dc at (0, 0).
    void PaintSkin(HDC dc, SIZE win);
    // What a derived window draws on its background, over the frame, its icon
    // and its title, into the same off-screen buffer.
    virtual void PaintOverFrame(HDC, int /*w*/, int /*h*/) {}
    // What a derived window takes out of its shape besides the frame's cut
    // corners (shape in window coordinates).
    virtual void CutFromShape(HRGN /*shape*/) {}
    // The frame's metrics in the window's pixels (the members hold them at 100 %).
    FrameMetrics Metrics() const {
        return ScaledFrameMetrics(FrameMetrics{m_nBorderWidth, m_nCaptionHeight}, m_scale);
    }
    // The window moved to a monitor of another scale and has taken the size the
    // system suggested: a derived window loads its skins for the new scale and
    // lays itself out again.
    virtual void OnScaleChanged() {}
    LRESULT OnDpiChanged(int dpi, const RECT* suggested);

private:
    bool CreateSystemButton(CBtnEx& button, int right, int top, UINT id, HBITMAP strip,
                            const wchar_t* tip);
    gdi::Font CreateTitleFont(LONG* height) const;
    // Makes the dialog font (which the system made for the window's DPI) anew
    // for the layout's scale, and gives it to the dialog and to every control
    // that had the old one: text is measured and drawn at the scale the skins
    // and the layout are, and fits the places laid out for it.
    void FitDialogFont();
    void ReleaseSkin();
    void LoadSmallDialogSkin();
    void LoadTextButtons();

    DisplayScale m_scale;
    int m_nFontDpi = DisplayScale::kBaseDpi;  // the DPI the dialog font was made for
    HFONT m_hFontMade = nullptr;              // ... and which font that was
    bool m_bSmallDialogSkin = false;          // SetSmallDialogSkin made the frame
    std::vector<CBtnEx*> m_textButtons;       // what SetTextButtons gave the strip to
    bool m_bResizeTextButtons = false;
    gdi::Font m_fontFitted;                   // the dialog font at the layout's scale, once made
};

}  // namespace ovn::skin
