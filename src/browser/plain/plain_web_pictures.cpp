// The plain engine's background pictures: each scaled to the page's scale once
// it has come, and drawn under the elements that name it.
#include "browser/plain/plain_web_view.h"

#include <optional>
#include <vector>

namespace ovn::browser {

COLORREF PlainWebView::ToColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool PlainWebView::PicturesSettled() const { return m_pictureFetches.empty(); }

void PlainWebView::ScalePicture(Picture& pic) const {
    pic.shown.reset();
    pic.shownWidth = pic.width;
    pic.shownHeight = pic.height;
    if (!pic.bitmap || m_scale.IsBase())
        return;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(pic.width) * static_cast<size_t>(pic.height));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), pic.width, -pic.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    fw::gdi::WindowDC screen(nullptr);
    if (!screen || ::GetDIBits(screen.get(), pic.bitmap.get(), 0, static_cast<UINT>(pic.height), pixels.data(), &bi,
                               DIB_RGB_COLORS) != pic.height)
        return;  // drawn as it came
    const HtmlDocument& doc = m_browser.Document();
    std::optional<std::uint32_t> page;
    if (doc.body >= 0)
        page = doc.elements[static_cast<size_t>(doc.body)].style.backgroundColor;
    const PictureScaling how = ChoosePictureScaling(m_scale, pixels.data(), pixels.size(), page);
    const int w = m_scale.Px(pic.width), h = m_scale.Px(pic.height);
    fw::gdi::Bitmap shown(::CreateCompatibleBitmap(screen.get(), w, h));
    fw::gdi::MemoryDC from(::CreateCompatibleDC(screen.get())), to(::CreateCompatibleDC(screen.get()));
    if (!shown || !from || !to)
        return;
    {
        fw::gdi::Select in(from.get(), pic.bitmap.get()), out(to.get(), shown.get());
        ::SetStretchBltMode(to.get(), how == PictureScaling::Smooth ? HALFTONE : COLORONCOLOR);
        ::SetBrushOrgEx(to.get(), 0, 0, nullptr);
        if (!::StretchBlt(to.get(), 0, 0, w, h, from.get(), 0, 0, pic.width, pic.height, SRCCOPY))
            return;
    }
    pic.shown = std::move(shown);
    pic.shownWidth = w;
    pic.shownHeight = h;
}

void PlainWebView::DrawBackgrounds(HDC dc, const RECT& client, int layer) {
    const HtmlDocument& doc = m_scaled;
    const auto& elements = doc.elements;
    fw::gdi::MemoryDC mem(::CreateCompatibleDC(dc));
    for (size_t i = 0; i < elements.size(); ++i) {
        const auto& e = elements[i];
        int index = static_cast<int>(i);
        if (index == doc.body || PositionedAncestor(doc, index, true) != layer)
            continue;  // the body is painted over the whole client area already
        RECT box{};
        if (!ElementRect(index, box))
            continue;
        RECT visible{};
        if (!::IntersectRect(&visible, &box, &client))
            continue;
        if (e.style.backgroundColor) {
            fw::gdi::Brush brush(::CreateSolidBrush(ToColorRef(*e.style.backgroundColor)));
            ::FillRect(dc, &box, brush.get());
        }
        if (e.style.backgroundImage.empty() || !mem)
            continue;
        auto it = m_pictures.find(e.style.backgroundImage);
        if (it == m_pictures.end() || !it->second.bitmap)
            continue;
        const Picture& pic = it->second;
        HBITMAP bitmap = pic.shown ? pic.shown.get() : pic.bitmap.get();
        RECT placed{box.left + BackgroundX(index), box.top + e.style.backgroundY, 0, 0};
        placed.right = placed.left + pic.shownWidth;
        placed.bottom = placed.top + pic.shownHeight;
        RECT drawn{};
        if (!::IntersectRect(&drawn, &placed, &box))
            continue;
        fw::gdi::Select sel(mem.get(), bitmap);
        ::BitBlt(dc, drawn.left, drawn.top, drawn.right - drawn.left, drawn.bottom - drawn.top, mem.get(),
                 drawn.left - placed.left, drawn.top - placed.top, SRCCOPY);
    }
}

}  // namespace ovn::browser
