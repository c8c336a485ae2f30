// Drawing helpers of the skins: the size and the pixels of a bitmap. The GDI
// owners they and their users draw with live in the framework, below the skins
// and the web views; their names are brought in here, so that the skinned
// windows find them as gdi::Bitmap beside the helpers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/gdi_handles.h"

namespace ovn::gdi {

using namespace fw::gdi;

// Size of a bitmap (0 x 0 for none).
SIZE BitmapSize(HBITMAP bmp);

// A bitmap's pixels as 32-bit blue, green, red, fourth byte values, rows top-down;
// empty when there is no bitmap or it cannot be read. size gets its dimensions.
std::vector<std::uint32_t> ReadPixels(HBITMAP bmp, SIZE& size);

}  // namespace ovn::gdi
