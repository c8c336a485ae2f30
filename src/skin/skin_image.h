// Skin images: PNG resources turned into keyed 32-bit bitmaps, the notice picture
// loaded from a file, and the helper that lets a control paint its parent's skin
// under itself.
#pragma once
#include "skin/gdi.h"
#include "skin/skin_geometry.h"

#include <cstddef>
#include <span>

namespace ovn::skin {

constexpr COLORREF SkinKeyColor = kSkinKeyColor;  // RGB(255, 0, 255)

// The scales the skins are drawn for, as DPIs.
std::span<const int> SkinDpis();

// The scale a window of ours is laid out at: the drawing of the skins nearest
// to the DPI of its top-level window, so the layout meets its bitmaps pixel for
// pixel (fonts follow the same scale).
DisplayScale LayoutScale(HWND window);
// The same for a window at windowDpi: the DPI of the drawing nearest to it.
int LayoutDpi(int windowDpi);

// A PNG resource of the executable (custom type "PNG") as a 32-bit bottom-up
// bitmap with transparent pixels in the key colour; a bitmap resource of the same
// id wins. The drawing for the scale (DrawingFor), resized to the scale when the
// image is not drawn for it. Empty when the resource is missing or cannot be decoded.
gdi::Bitmap LoadSkinImage(UINT id, DisplayScale scale = {});

// A PNG resource with real per-pixel alpha (the login artwork) for the scale,
// as the premultiplied 32-bit top-down DIB section that per-pixel alpha drawing
// wants, with its size; shrunk smoothly from the nearest larger drawing when it
// is not drawn for the scale. Empty, with a size of 0, when it cannot be read.
gdi::Bitmap LoadSkinPicture(UINT id, DisplayScale scale, int& width, int& height);

// A font's LOGFONT height made for fromDpi, at the scale.
int FontHeightAt(int height, int fromDpi, DisplayScale scale);

// The same conversion for PNG (or any GDI+ format) bytes already in memory:
// pictures we make and carry ourselves, read by our own decoder first.
gdi::Bitmap DecodeSkinImage(const void* data, std::size_t size);

// The same conversion for a picture that came over the network (outside
// input): only the system's decoder reads it, never ours.
gdi::Bitmap DecodeNetworkImage(const void* data, std::size_t size);

// A decoded GDI+ bitmap as a keyed 32-bit bottom-up bitmap (fourth byte 0).
// Empty for an empty image or when the pixels cannot be read.
gdi::Bitmap ImageToKeyedBitmap(Gdiplus::GpBitmap* image, COLORREF key);

// A picture file drawn over white into a 32-bit bitmap of its own size; width and
// height are 0 and the bitmap empty when the file cannot be loaded.
gdi::Bitmap LoadImageFile(const wchar_t* path, int& width, int& height);

// Paints the parent's skin into a control's off-screen buffer so that the part
// under the control lands at the buffer's (0, 0). The buffer's state is restored.
void DrawParentBackground(HWND control, HDC buffer);

}  // namespace ovn::skin
