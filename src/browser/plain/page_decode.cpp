#include "browser/plain/page_decode.h"

#include <windows.h>

#include "browser/plain/charset.h"
#include "framework/handles.h"
#include "framework/picture.h"

namespace ovn::browser {

namespace {

constexpr int kMaxPictureSide = 4096;

std::wstring Widen(const std::string& bytes, unsigned codePage, DWORD flags) {
    if (bytes.empty())
        return {};
    int n = ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::wstring DecodeUtf16(const std::string& bytes, bool bigEndian) {
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned char a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        out += static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    return out;
}

}  // namespace

std::wstring DecodeBody(std::string body, const std::string& contentType) {
    std::string charset = DetectCharset(contentType, body);
    unsigned cp = CodePageForCharset(charset);
    size_t bom = ByteOrderMarkLength(body);
    if (bom && (cp == 65001 || cp == 1200 || cp == 1201))
        body.erase(0, bom);
    if (cp == 1200 || cp == 1201)
        return DecodeUtf16(body, cp == 1201);
    if (cp != 0) {
        std::wstring text = Widen(body, cp, 0);
        if (!text.empty() || body.empty())
            return text;
    }
    std::wstring utf8 = Widen(body, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (!utf8.empty())
        return utf8;
    return Widen(body, CP_ACP, 0);
}

fw::gdi::Bitmap DecodePicture(const std::string& bytes, int& width, int& height) {
    width = height = 0;
    if (bytes.empty() || bytes.size() > kMaxPageBytes)
        return {};
    return fw::gdi::DecodePictureToBitmap(bytes.data(), bytes.size(), kMaxPictureSide, 0xFFFFFFFF, width, height);
}

}  // namespace ovn::browser
