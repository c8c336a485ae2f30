// The skinned label: text drawn over the parent's skin in its own colour, weight
// and size, with an optional small image at its left, wrapped character by
// character and growing taller when the text needs more lines. As a link it
// shows the hand cursor, may be underlined and may change colour under the
// mouse; with the notify style its clicks reach the parent as STN_CLICKED.
#pragma once
#include "framework/window.h"
#include "skin/gdi.h"

#include <string>

namespace ovn::skin {

class CStaticEx : public fw::Window {
public:
    CStaticEx() = default;

    // Binds a static control of a dialog template; its window text becomes m_strText.
    bool Subclass(HWND label);
    bool SubclassDlgItem(UINT id, HWND parent) { return Subclass(::GetDlgItem(parent, static_cast<int>(id))); }

    // Puts the image at the label's left (the caller keeps the bitmap); its
    // key-coloured pixels show what is behind. FALSE when no bitmap was given.
    BOOL SetImage(HBITMAP bitmap);
    // The label's font, made at the first call from the window's font and the
    // font fields, and kept: later changes of those fields have no effect.
    HFONT GetLabelFont();
    // Lays out and draws the text into dc, growing the window when the lines
    // need more room.
    virtual void DrawLabelText(HDC dc);

    // Set by the owner after binding, before the first paint.
    std::wstring m_strText;
    int m_nFontWeight = -1;  // -1: the window font's
    int m_nFontHeight = 0;   // a LOGFONT height; 0: the window font's
    bool m_bLink = false;
    bool m_bUnderline = false;
    gdi::Font m_font;
    COLORREF m_crText = 0;
    COLORREF m_crHover = 0;
    bool m_bHoverColor = false;
    int m_nLineSpacing = 3;
    bool m_bHover = false;
    bool m_bTracking = false;
    gdi::ImageList m_imgList;
    int m_nImageWidth = 0;  // 0: no image
    int m_nImageHeight = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void PreSubclassWindow();
    void OnPaint();
};

}  // namespace ovn::skin
