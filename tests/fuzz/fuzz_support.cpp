#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

namespace ovn::fuzz {

namespace {

void AppendCodePoint(std::wstring& out, std::uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(cp));
    }
}

// Length and first bits of the UTF-8 sequence that lead starts; 0 when it starts none.
std::size_t SequenceLength(std::uint8_t lead, std::uint32_t& cp) {
    if (lead < 0x80) { cp = lead; return 1; }
    if (lead >= 0xC2 && lead <= 0xDF) { cp = lead & 0x1F; return 2; }
    if (lead >= 0xE0 && lead <= 0xEF) { cp = lead & 0x0F; return 3; }
    if (lead >= 0xF0 && lead <= 0xF4) { cp = lead & 0x07; return 4; }
    return 0;
}

}  // namespace

std::wstring Text(const std::uint8_t* data, std::size_t size) {
    std::wstring out;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        for (std::size_t i = 2; i + 1 < size; i += 2)
            out.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
        return out;
    }
    for (std::size_t i = 0; i < size;) {
        std::uint32_t cp = 0;
        std::size_t n = SequenceLength(data[i], cp);
        bool valid = n > 0 && i + n <= size;
        for (std::size_t k = 1; valid && k < n; ++k) {
            valid = (data[i + k] & 0xC0) == 0x80;
            cp = (cp << 6) | (data[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if (valid && ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
            valid = false;
        if (!valid) {
            out.push_back(static_cast<wchar_t>(data[i]));
            ++i;
            continue;
        }
        AppendCodePoint(out, cp);
        i += n;
    }
    return out;
}

std::vector<std::wstring> Fields(std::wstring_view text, std::size_t fields) {
    std::vector<std::wstring> out;
    while (out.size() + 1 < fields) {
        std::size_t eol = text.find(L'\n');
        if (eol == std::wstring_view::npos)
            break;
        out.emplace_back(text.substr(0, eol));
        text.remove_prefix(eol + 1);
    }
    out.emplace_back(text);
    return out;
}

std::uint32_t TakeNumber(const std::uint8_t*& data, std::size_t& size, std::size_t bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes && i < 4; ++i) {
        if (size > 0) {
            value |= static_cast<std::uint32_t>(*data) << (8 * i);
            ++data;
            --size;
        }
    }
    return value;
}

int CharWidth(wchar_t c) {
    if (c >= 0x2E80 && c <= 0xFFEF)
        return 12;
    if (c < 0x20)
        return 0;
    return 1 + static_cast<int>(c % 9);
}

int TextWidth(std::wstring_view text) {
    int width = 0;
    for (wchar_t c : text)
        width += CharWidth(c);
    return width;
}

void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "property failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

}  // namespace ovn::fuzz
