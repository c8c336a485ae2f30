// The image progress bar: a progress control drawn from a background (an empty
// rounded track) and a fill image of the full bar, of which the left and right
// ends make up the filled part, so both rounded ends show at any length. Range
// and position stay the progress control's own (PBM_SETPOS and friends).
#pragma once
#include "framework/window.h"
#include "skin/gdi.h"

namespace ovn::skin {

class CImgProgress : public fw::Window {
public:
    CImgProgress() = default;

    bool Subclass(HWND progress) { return progress && fw::Window::Subclass(progress); }
    bool SubclassDlgItem(UINT id, HWND parent) { return Subclass(::GetDlgItem(parent, static_cast<int>(id))); }

    // Takes both images. The control becomes the background's size (not moved,
    // z-order kept) and the fill is centred in it.
    void SetImages(gdi::Bitmap background, gdi::Bitmap bar);

    gdi::Bitmap m_hBackground;
    gdi::Bitmap m_hBar;
    RECT m_rcControl{};
    RECT m_rcBar{};

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
};

}  // namespace ovn::skin
