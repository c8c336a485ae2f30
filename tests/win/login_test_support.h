// Shared by the login tests: the login artwork's own pixels, read from the
// program's PNG resource.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

#include "res/skin_ids.h"

namespace logintest {

// One pixel of the artwork as the PNG has it (straight alpha).
struct Argb {
    int a, r, g, b;
};
inline Argb ArtworkPixel(int x, int y) {
    HMODULE m = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(m, MAKEINTRESOURCEW(IDB_LOGIN_BK), L"PNG");
    const DWORD size = SizeofResource(m, res);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(copy), LockResource(LoadResource(m, res)), size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(copy, TRUE, &stream);
    Gdiplus::GpBitmap* bmp = nullptr;
    Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &bmp);
    Gdiplus::ARGB c = 0;
    Gdiplus::DllExports::GdipBitmapGetPixel(bmp, x, y, &c);
    Gdiplus::DllExports::GdipDisposeImage(bmp);
    stream->Release();
    return {int(c >> 24), int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)};
}

}  // namespace logintest
