// The image button: an owner-drawn push button whose face is one cell of a
// four-cell strip (normal, hover, pressed, disabled) drawn over the parent's skin,
// with an optional centred caption and tooltip. Towards its parent it is an
// ordinary button: clicks arrive as BN_CLICKED.
#pragma once
#include "framework/window.h"
#include "skin/gdi.h"
#include "skin/skin_geometry.h"
#include "skin/access_rules.h"

#include <string>

namespace ovn::skin {

class CBtnEx : public fw::Window {
public:
    CBtnEx() = default;
    ~CBtnEx() override;

    // Binds a button of a dialog template.
    bool Subclass(HWND button);
    bool SubclassDlgItem(UINT id, HWND parent) { return Subclass(::GetDlgItem(parent, static_cast<int>(id))); }
    // Creates the button as a child of parent (destroying a window it had before).
    bool Create(const wchar_t* text, DWORD style, const RECT& rc, HWND parent, UINT id);

    // Takes the four cells from a strip; the caller keeps the bitmap. With resize,
    // the button becomes one cell in size (not moved, z-order kept). Returns 1.
    int SetImage(HBITMAP strip, bool resize);
    // A text button: the strip's cells (as SetImage) with the button's own
    // caption drawn over them.
    void SetTextStrip(HBITMAP strip, bool resize);
    // Stores the text and turns the tooltip on (created on first use).
    void SetToolTip(const wchar_t* text);
    // What a screen reader calls a button with neither caption nor tooltip.
    void SetAccessibleName(const wchar_t* name);
    // A button that switches something: read as pressed while it is on.
    void SetAccessiblePressed(bool pressed);
    // Its name (given, caption or tooltip), role and state as they are read.
    AccFace AccessibleFace() const;

    // Draws the face for a WM_DRAWITEM the parent received for this button.
    void DrawItem(const DRAWITEMSTRUCT& dis);
    // For parents: hands a WM_DRAWITEM to the image button it is for. True when
    // the item was one.
    static bool ReflectDrawItem(LPARAM lParam);

    bool PreTranslateMessage(MSG& msg) override;

    // The tooltip window, for tests and owners that need to inspect it.
    HWND ToolTipWindow() const { return m_toolTip; }
    // The cell the last draw chose.
    int LastCell() const { return m_nLastCell; }

    bool m_bTracking = false;
    bool m_bHover = false;
    RECT m_rcWindow{};
    std::wstring m_strText;
    COLORREF m_crText = 0;
    gdi::ImageList m_imgList;
    bool m_bPressed = false;
    bool m_bToolTip = false;
    HWND m_toolTip = nullptr;  // owned: destroyed with the button
    std::wstring m_strToolTip;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void PreSubclassWindow();
    void CaptureWindowRect();
    void DestroyToolTip();

    int m_nLastCell = -1;
    std::wstring m_strAccName;
    bool m_bAccPressed = false;
    bool m_created = false;  // our own window, not a template control
};

}  // namespace ovn::skin
