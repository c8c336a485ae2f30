// RAII owners for the GDI objects, device contexts, image lists and GDI+ objects the
// program draws with, made from the framework's one handle-owner template. Every
// owner reports what it holds to one process-wide count, so a test can repaint a
// window many times and see that nothing is left behind (the system's own GDI
// object count is not available everywhere we test). Here, below the skins and the
// web views, because both draw with them.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include "framework/handles.h"

namespace fw::gdi {

// Objects currently held through the owners below, and how many were ever taken.
long LiveObjects();
long TakenObjects();

namespace detail {
void Took();
void Gave();

// Null means none for every GDI handle; every owner is counted.
template <typename H>
struct CountedTraits {
    using Handle = H;
    static H Empty() { return nullptr; }
    static bool Valid(H h) { return h != nullptr; }
    static void Took() { detail::Took(); }
    static void Gave() { detail::Gave(); }
};
}  // namespace detail

template <typename H>
struct DeleteObjectTraits : detail::CountedTraits<H> {
    static void Close(H h) { ::DeleteObject(h); }
};
struct DeleteDCTraits : detail::CountedTraits<HDC> {
    static void Close(HDC h) { ::DeleteDC(h); }
};
struct ImageListTraits : detail::CountedTraits<HIMAGELIST> {
    static void Close(HIMAGELIST h) { ::ImageList_Destroy(h); }
};
struct IconTraits : detail::CountedTraits<HICON> {
    static void Close(HICON h) { ::DestroyIcon(h); }
};
struct GpImageTraits : detail::CountedTraits<Gdiplus::GpImage*> {
    static void Close(Gdiplus::GpImage* p) { Gdiplus::DllExports::GdipDisposeImage(p); }
};
struct GpGraphicsTraits : detail::CountedTraits<Gdiplus::GpGraphics*> {
    static void Close(Gdiplus::GpGraphics* p) { Gdiplus::DllExports::GdipDeleteGraphics(p); }
};

using Bitmap = UniqueHandle<DeleteObjectTraits<HBITMAP>>;
using Region = UniqueHandle<DeleteObjectTraits<HRGN>>;
using Brush = UniqueHandle<DeleteObjectTraits<HBRUSH>>;
using Font = UniqueHandle<DeleteObjectTraits<HFONT>>;
using Pen = UniqueHandle<DeleteObjectTraits<HPEN>>;
using MemoryDC = UniqueHandle<DeleteDCTraits>;  // from CreateCompatibleDC
using ImageList = UniqueHandle<ImageListTraits>;
using Icon = UniqueHandle<IconTraits>;
using GpImage = UniqueHandle<GpImageTraits>;
using GpGraphics = UniqueHandle<GpGraphicsTraits>;

// GetDC / ReleaseDC for one scope (null window = the screen).
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {
        if (m_dc)
            detail::Took();
    }
    ~WindowDC() {
        if (m_dc) {
            ::ReleaseDC(m_hwnd, m_dc);
            detail::Gave();
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// BeginPaint / EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_ps)) {}
    ~PaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return m_dc; }
    const PAINTSTRUCT& ps() const { return m_ps; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};

// Selects an object into a device context and puts the previous one back, so
// the owner of the object can delete it afterwards.
class Select {
public:
    Select(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(dc && obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~Select() {
        if (m_old)
            ::SelectObject(m_dc, m_old);
    }
    Select(const Select&) = delete;
    Select& operator=(const Select&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// SaveDC / RestoreDC.
class SavedState {
public:
    explicit SavedState(HDC dc) : m_dc(dc), m_id(::SaveDC(dc)) {}
    ~SavedState() {
        if (m_id)
            ::RestoreDC(m_dc, m_id);
    }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    HDC m_dc;
    int m_id;
};

// A memory DC with a compatible bitmap selected: the off-screen buffer every
// skinned paint composes in before one copy to the screen.
class Buffer {
public:
    Buffer(HDC compatibleWith, int cx, int cy);
    HDC dc() const { return m_dc.get(); }
    explicit operator bool() const { return m_dc && m_bmp; }

private:
    MemoryDC m_dc;
    Bitmap m_bmp;
    Select m_sel;
};

// Draws area off screen and copies the result to dc a band of rows at a time
// (dc's clipping applies to each copy): the screen never shows half a paint,
// and no bitmap the size of the window (4 MB for a launcher over the work area)
// stands beside the window's own surface while it paints. paint draws in dc's
// coordinates, all of area each time; what falls outside the current band is
// cut off. False when no buffer could be made: nothing was drawn.
bool PaintInBands(HDC dc, const RECT& area, void (*paint)(HDC, void*), void* context);

template <typename Paint>
bool PaintInBands(HDC dc, const RECT& area, Paint&& paint) {
    return PaintInBands(
        dc, area, [](HDC target, void* p) { (*static_cast<Paint*>(p))(target); }, &paint);
}

// GdiplusStartup / GdiplusShutdown for one scope.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

// GDI+ for the rest of the process, started by the first picture that needs it
// (a launcher then starts it only once its page process is on its way). False when
// it cannot start.
bool GdiplusStarted();

}  // namespace fw::gdi
