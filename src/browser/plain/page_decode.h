// What the plain engine makes of the bytes it fetched: a page's text in the
// character set it names, and a background picture as a bitmap.
#pragma once
#include <cstddef>
#include <string>

#include "framework/gdi_handles.h"

namespace ovn::browser {

// The largest page or picture the engine takes.
inline constexpr std::size_t kMaxPageBytes = 8 * 1024 * 1024;

// Turns the body into text in the character set the page or the server names;
// without one, UTF-8 when the bytes are valid UTF-8, else the system's code page.
std::wstring DecodeBody(std::string body, const std::string& contentType);

// A background picture's bytes, decoded; empty when they are not a picture
// GDI+ reads or one of an unreasonable size.
fw::gdi::Bitmap DecodePicture(const std::string& bytes, int& width, int& height);

}  // namespace ovn::browser
