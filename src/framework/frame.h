// A top-level frame window holding one child view that fills its client area.
#pragma once
#include "framework/window.h"

#include <memory>

namespace fw {

class FrameWindow : public Window {
public:
    static constexpr const wchar_t* kClassName = L"OvnFrame";
    static constexpr UINT kViewId = 0xE900;  // the view's control id, as frames traditionally use

    // Creates the frame (hidden unless style says otherwise) and then the view
    // inside it through CreateView.
    bool CreateFrame(const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect, HWND parent,
                     HICON icon = nullptr);
    Window* View() const { return m_view.get(); }

protected:
    // Makes the view as a child of the frame; the frame owns it.
    virtual std::unique_ptr<Window> CreateView() { return nullptr; }
    // Fits the view to the client area.
    virtual void LayoutView();

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::unique_ptr<Window> m_view;
};

}  // namespace fw
