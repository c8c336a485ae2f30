// Pictures decoded from bytes in memory (PNG, and whatever else GDI+ reads) into
// GDI bitmaps: the one decoder behind the skins, the login artwork and the plain
// web view's pictures. Here, below all three. Bytes are outside input: a picture
// that does not decode, or with a side of 0 or past the caller's limit, gives
// an empty bitmap and nothing else.
#pragma once
#include <cstddef>
#include <functional>

#include "framework/gdi_handles.h"

namespace fw::gdi {

// The bytes of a resource of the running executable; empty (null, 0) when it
// has none of that id and type. They stay valid for the life of the process.
struct ResourceBytes {
    const void* data = nullptr;
    std::size_t size = 0;
};
ResourceBytes FindResourceBytes(UINT id, const wchar_t* type);

// Decodes the bytes and lends the decoded image and its size to use() while a
// GDI+ session holds; the image goes when use() returns. False, without a
// call, when the bytes are no picture or a side is 0 or larger than maxSide.
bool WithDecodedPicture(const void* data, std::size_t size, int maxSide,
                        const std::function<void(Gdiplus::GpBitmap* image, int width, int height)>& use);

// A decoded image as a bitmap of its own size for plain GDI drawing, its
// transparent parts laid over background (0xAARRGGBB); empty on failure.
Bitmap DecodedToBitmap(Gdiplus::GpBitmap* image, Gdiplus::ARGB background);

// A 32-bit top-down DIB section of w x h and where its pixels are (null on failure).
Bitmap CreateTopDownDib(int w, int h, void** bits);

// The picture as a 32-bit top-down DIB section of its own size, its pixels in
// format (PixelFormat32bppARGB, or PixelFormat32bppPARGB as per-pixel alpha
// wants them), written there by the decoder with no copy in between.
Bitmap DecodePictureToDib(const void* data, std::size_t size, int maxSide, Gdiplus::PixelFormat format, int& width,
                          int& height);

// A PNG of ours (see png_decoder.h) as a 32-bit top-down DIB section of its own
// size, premultiplied as per-pixel alpha wants it, inflated straight into the
// section; empty when our decoder does not read it (DecodePictureToDib may).
Bitmap DecodePngToDib(const void* data, std::size_t size, int& width, int& height);

// The picture as a bitmap of its own size for plain GDI drawing, its transparent
// parts laid over background (0xAARRGGBB).
Bitmap DecodePictureToBitmap(const void* data, std::size_t size, int maxSide, Gdiplus::ARGB background, int& width,
                             int& height);

}  // namespace fw::gdi
