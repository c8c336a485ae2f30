#include "framework/png_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace fw {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

bool IsChunk(const std::uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

struct Header {
    std::uint32_t width = 0, height = 0;
    int depth = 0, colour = 0;
    bool interlaced = false;
};

// Samples a pixel has for each colour type; 0 for a type PNG does not have.
int Channels(int colour) {
    switch (colour) {
    case 0: return 1;  // grey
    case 2: return 3;  // red, green, blue
    case 3: return 1;  // palette index
    case 4: return 2;  // grey, alpha
    case 6: return 4;  // red, green, blue, alpha
    }
    return 0;
}

std::uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Undoes a row's filter in place, against the row above (zeros for the first).
bool Unfilter(int filter, std::uint8_t* row, const std::uint8_t* above, std::size_t bytes, std::size_t bpp) {
    switch (filter) {
    case 0: return true;
    case 1:
        for (std::size_t i = bpp; i < bytes; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
        return true;
    case 2:
        for (std::size_t i = 0; i < bytes; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
        return true;
    case 3:
        for (std::size_t i = 0; i < bytes; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            row[i] = static_cast<std::uint8_t>(row[i] + ((left + above[i]) >> 1));
        }
        return true;
    case 4:
        for (std::size_t i = 0; i < bytes; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            const int upLeft = i >= bpp ? above[i - bpp] : 0;
            row[i] = static_cast<std::uint8_t>(row[i] + Paeth(left, above[i], upLeft));
        }
        return true;
    }
    return false;
}

std::uint32_t Pixel(unsigned a, unsigned r, unsigned g, unsigned b, PngAlpha alpha) {
    if (alpha == PngAlpha::Premultiplied && a != 255) {
        // Rounded as (c * a + 127) / 255, exactly, without a division.
        auto times = [a](unsigned c) {
            const unsigned t = c * a + 128;
            return (t + (t >> 8)) >> 8;
        };
        r = times(r);
        g = times(g);
        b = times(b);
    }
    return (std::uint32_t{a} << 24) | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

// The rows as they come out of the inflater: each one unfiltered and written
// out in 32-bit words as soon as it is complete.
class RowWriter {
public:
    RowWriter(const Header& h, const std::array<std::uint32_t, 256>& palette, int paletteSize,
              const std::array<int, 3>& key, bool hasKey, PngAlpha alpha, std::uint32_t* out)
        : m_h(h), m_palette(palette), m_paletteSize(paletteSize), m_key(key), m_hasKey(hasKey), m_alpha(alpha),
          m_out(out) {
        const std::size_t bits = static_cast<std::size_t>(h.width) * h.depth * Channels(h.colour);
        m_bytes = (bits + 7) / 8;
        m_bpp = std::max<std::size_t>(1, static_cast<std::size_t>(h.depth) * Channels(h.colour) / 8);
        m_row.assign(1 + m_bytes, 0);
        m_above.assign(m_bytes, 0);
    }

    // Takes inflated bytes; false on a row that cannot be read.
    bool Take(const std::uint8_t* p, std::size_t n) {
        while (n > 0 && m_y < m_h.height) {
            const std::size_t part = std::min(n, m_row.size() - m_filled);
            std::memcpy(m_row.data() + m_filled, p, part);
            m_filled += part;
            p += part;
            n -= part;
            if (m_filled == m_row.size()) {
                if (!FinishRow())
                    return false;
                m_filled = 0;
            }
        }
        return true;  // bytes past the last row are ignored
    }
    bool Done() const { return m_y >= m_h.height; }

private:
    bool FinishRow() {
        std::uint8_t* row = m_row.data() + 1;
        if (!Unfilter(m_row[0], row, m_above.data(), m_bytes, m_bpp))
            return false;
        std::uint32_t* out = m_out + static_cast<std::size_t>(m_y) * m_h.width;
        for (std::uint32_t x = 0; x < m_h.width; ++x) {
            if (!Write(row, x, out[x]))
                return false;
        }
        std::memcpy(m_above.data(), row, m_bytes);
        ++m_y;
        return true;
    }

    // A sample of depth bits (1, 2, 4 or 8) at index i of a packed row.
    unsigned Sample(const std::uint8_t* row, std::size_t i) const {
        if (m_h.depth == 8)
            return row[i];
        const std::size_t bit = i * static_cast<std::size_t>(m_h.depth);
        const unsigned shift = 8 - m_h.depth - static_cast<unsigned>(bit % 8);
        return (row[bit / 8] >> shift) & ((1u << m_h.depth) - 1);
    }

    bool Write(const std::uint8_t* row, std::uint32_t x, std::uint32_t& out) const {
        switch (m_h.colour) {
        case 0: {
            const unsigned g = row[x];
            const unsigned a = m_hasKey && static_cast<int>(g) == m_key[0] ? 0 : 255;
            out = Pixel(a, g, g, g, m_alpha);
            return true;
        }
        case 2: {
            const std::uint8_t* p = row + x * 3;
            const unsigned a = m_hasKey && p[0] == m_key[0] && p[1] == m_key[1] && p[2] == m_key[2] ? 0 : 255;
            out = Pixel(a, p[0], p[1], p[2], m_alpha);
            return true;
        }
        case 3: {
            const unsigned i = Sample(row, x);
            if (static_cast<int>(i) >= m_paletteSize)
                return false;  // an index past the palette: no colour to give
            const std::uint32_t c = m_palette[i];
            out = Pixel(c >> 24, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, m_alpha);
            return true;
        }
        case 4: {
            const std::uint8_t* p = row + x * 2;
            out = Pixel(p[1], p[0], p[0], p[0], m_alpha);
            return true;
        }
        case 6: {
            const std::uint8_t* p = row + x * 4;
            out = Pixel(p[3], p[0], p[1], p[2], m_alpha);
            return true;
        }
        }
        return false;
    }

    const Header& m_h;
    const std::array<std::uint32_t, 256>& m_palette;
    int m_paletteSize;
    std::array<int, 3> m_key;
    bool m_hasKey;
    PngAlpha m_alpha;
    std::uint32_t* m_out;
    std::size_t m_bytes = 0, m_bpp = 1, m_filled = 0;
    std::uint32_t m_y = 0;
    std::vector<std::uint8_t> m_row, m_above;
};

// zlib's stream, ended however the decoding ends.
class Inflater {
public:
    Inflater() { m_ok = inflateInit(&m_z) == Z_OK; }
    ~Inflater() {
        if (m_ok)
            inflateEnd(&m_z);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    bool Ok() const { return m_ok; }

    // Feeds one IDAT chunk's bytes through to rows; false on damaged data.
    bool Feed(const std::uint8_t* p, std::size_t n, RowWriter& rows) {
        if (m_ended)
            return true;  // what follows the stream is not read
        m_z.next_in = const_cast<Bytef*>(p);
        m_z.avail_in = static_cast<uInt>(n);
        for (;;) {
            m_z.next_out = m_buffer.data();
            m_z.avail_out = static_cast<uInt>(m_buffer.size());
            const int r = inflate(&m_z, Z_NO_FLUSH);
            if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR)
                return false;
            if (!rows.Take(m_buffer.data(), m_buffer.size() - m_z.avail_out))
                return false;
            if (r == Z_STREAM_END) {
                m_ended = true;
                return true;
            }
            // Room left over: it has made all it can of this chunk's bytes.
            if (m_z.avail_out != 0)
                return true;
        }
    }

private:
    z_stream m_z{};
    bool m_ok = false;
    bool m_ended = false;
    std::array<std::uint8_t, 16384> m_buffer{};
};

}  // namespace

PngResult DecodePng(const std::uint8_t* data, std::size_t size, int maxSide, PngAlpha alpha,
                    const std::function<std::uint32_t*(PngSize)>& target) {
    if (!data || size < sizeof kSignature + 25 || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return PngResult::Damaged;

    Header h;
    std::array<std::uint32_t, 256> palette{};
    int paletteSize = 0;
    std::array<int, 3> key{};
    bool hasKey = false;
    std::uint32_t* out = nullptr;
    std::unique_ptr<RowWriter> rows;
    std::unique_ptr<Inflater> inflater;
    bool seenHeader = false;

    std::size_t at = sizeof kSignature;
    while (at + 12 <= size) {
        const std::uint32_t length = BigEndian32(data + at);
        const std::uint8_t* type = data + at + 4;
        if (length > size - at - 12)
            return PngResult::Damaged;  // runs past the end
        const std::uint8_t* body = data + at + 8;
        const std::uint32_t crc = BigEndian32(body + length);
        if (crc32(crc32(0L, Z_NULL, 0), type, length + 4) != crc)
            return PngResult::Damaged;
        at += 12 + static_cast<std::size_t>(length);

        if (!seenHeader) {
            if (!IsChunk(type, "IHDR") || length != 13)
                return PngResult::Damaged;
            seenHeader = true;
            h.width = BigEndian32(body);
            h.height = BigEndian32(body + 4);
            h.depth = body[8];
            h.colour = body[9];
            h.interlaced = body[12] != 0;
            if (h.width == 0 || h.height == 0 || Channels(h.colour) == 0 || body[10] != 0 || body[11] != 0 ||
                body[12] > 1)
                return PngResult::Damaged;
            const bool paletteDepth = h.colour == 3 && (h.depth == 1 || h.depth == 2 || h.depth == 4 || h.depth == 8);
            if (h.interlaced || !(h.depth == 8 || paletteDepth))
                return PngResult::Unsupported;
            if (h.width > static_cast<std::uint32_t>(maxSide) || h.height > static_cast<std::uint32_t>(maxSide))
                return PngResult::Damaged;
            continue;
        }
        if (IsChunk(type, "PLTE")) {
            if (length % 3 != 0 || length / 3 > 256 || length == 0 || rows)
                return PngResult::Damaged;
            paletteSize = static_cast<int>(length / 3);
            for (int i = 0; i < paletteSize; ++i)
                palette[static_cast<std::size_t>(i)] = 0xFF000000u | (std::uint32_t{body[i * 3]} << 16) |
                                                       (std::uint32_t{body[i * 3 + 1]} << 8) | body[i * 3 + 2];
        } else if (IsChunk(type, "tRNS")) {
            if (rows)
                return PngResult::Damaged;
            if (h.colour == 3) {
                if (static_cast<int>(length) > paletteSize)
                    return PngResult::Damaged;
                for (std::uint32_t i = 0; i < length; ++i)
                    palette[i] = (palette[i] & 0x00FFFFFFu) | (std::uint32_t{body[i]} << 24);
            } else if (h.colour == 0 && length == 2) {
                key[0] = (body[0] << 8) | body[1];
                hasKey = true;
            } else if (h.colour == 2 && length == 6) {
                for (int c = 0; c < 3; ++c)
                    key[static_cast<std::size_t>(c)] = (body[c * 2] << 8) | body[c * 2 + 1];
                hasKey = true;
            }
        } else if (IsChunk(type, "IDAT")) {
            if (!rows) {
                if (h.colour == 3 && paletteSize == 0)
                    return PngResult::Damaged;
                out = target(PngSize{static_cast<int>(h.width), static_cast<int>(h.height)});
                if (!out)
                    return PngResult::Damaged;
                rows = std::make_unique<RowWriter>(h, palette, paletteSize, key, hasKey, alpha, out);
                inflater = std::make_unique<Inflater>();
                if (!inflater->Ok())
                    return PngResult::Damaged;
            }
            if (!inflater->Feed(body, length, *rows))
                return PngResult::Damaged;
        } else if (IsChunk(type, "IEND")) {
            break;
        } else if ((type[0] & 0x20) == 0) {
            return PngResult::Unsupported;  // a critical chunk we do not know
        }
    }
    return rows && rows->Done() ? PngResult::Decoded : PngResult::Damaged;
}

}  // namespace fw
