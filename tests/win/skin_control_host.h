// A skinned window for the label and progress-bar tests: its skin is a pattern
// in which every pixel differs from its neighbours, so a control that shows the
// parent's skin from the wrong place fails. Controls are compared with what the
// window itself paints at the same spot. Shots can be kept as PNG files for a
// look (OVN_SHOT_DIR names the folder).
#pragma once
#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

#include "skin/dlg_ex.h"
#include "skin/skin_image.h"
#include "skin_test_support.h"

#include "res/resource.h"

namespace skintest {

// Blue is fixed at 0x80 in the pattern: colours with another blue never
// belong to the skin.
inline Rgba PatternAt(int x, int y) {
    return Rgba{static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 5 + x), 0x80, 255};
}

class PatternHost : public ovn::skin::CDlgEx {
public:
    PatternHost(int w, int h) : CDlgEx(IDD_MESSAGE_BOX), m_w(w), m_h(h) {}

protected:
    bool OnInitDialog() override {
        CDlgEx::OnInitDialog();
        m_nCaptionHeight = 30;
        m_nBorderWidth = 4;
        m_bDrawTitle = false;
        m_bDrawIcon = false;
        std::vector<Rgba> px(static_cast<std::size_t>(m_w) * m_h);
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                px[static_cast<std::size_t>(y) * m_w + x] = PatternAt(x, y);
        const auto png = EncodePngRgba(m_w, m_h, px);
        SetSkin(ovn::skin::DecodeSkinImage(png.data(), png.size()), true, false, nullptr, {}, {}, nullptr);
        return false;  // no focus: an active window takes Wine 2 s to destroy here
    }

private:
    int m_w, m_h;
};

// The host shown, topmost, at (50, 50) of the screen.
inline std::unique_ptr<PatternHost> ShowPatternHost(int w, int h) {
    auto host = std::make_unique<PatternHost>(w, h);
    if (!host->CreateModeless(nullptr))
        return nullptr;
    SetWindowPos(host->hwnd(), HWND_TOPMOST, 50, 50, w, h, SWP_NOACTIVATE);
    ShowWindow(host->hwnd(), SW_SHOWNOACTIVATE);
    return host;
}

// The parent's own image under a child: what it paints at the child's spot.
inline Pixels ParentUnder(HWND child) {
    HWND parent = GetParent(child);
    RECT rp{}, rc{};
    GetWindowRect(parent, &rp);
    GetWindowRect(child, &rc);
    const Pixels all = EraseIntoBitmap(parent, rp.right - rp.left, rp.bottom - rp.top);
    Pixels part;
    part.w = rc.right - rc.left;
    part.h = rc.bottom - rc.top;
    for (int y = 0; y < part.h; ++y)
        for (int x = 0; x < part.w; ++x)
            part.data.push_back(all.data[static_cast<std::size_t>(y + rc.top - rp.top) * all.w + x + rc.left - rp.left]);
    return part;
}

using wintest::PumpUntil;

// Paints what is pending and reads the window back from the screen.
inline Pixels Shot(HWND hwnd) {
    PumpIdle();
    UpdateWindow(hwnd);
    return CaptureWindow(hwnd);
}

// Keeps a shot as <OVN_SHOT_DIR>\<name>.png, enlarged `zoom` times.
inline void KeepShot(const Pixels& px, const char* name, int zoom = 3) {
    char dir[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("OVN_SHOT_DIR", dir, MAX_PATH) || px.w == 0)
        return;
    std::vector<Rgba> out;
    for (int y = 0; y < px.h * zoom; ++y)
        for (int x = 0; x < px.w * zoom; ++x) {
            const COLORREF c = px.at(x / zoom, y / zoom);
            out.push_back(Rgba{GetRValue(c), GetGValue(c), GetBValue(c), 255});
        }
    const auto png = EncodePngRgba(px.w * zoom, px.h * zoom, out);
    std::ofstream(std::string(dir) + "\\" + name + ".png", std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

}  // namespace skintest
