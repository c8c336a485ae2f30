// Our PNG decoder against pictures made here, byte by byte: every colour type
// and filter it reads, the ones it leaves to the system, and damaged files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/png_decoder.h"

namespace {

using fw::DecodePng;
using fw::PngAlpha;
using fw::PngResult;
using fw::PngSize;
using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(static_cast<std::uint8_t>(v >> s));
}

void Chunk(Bytes& png, const char* type, const Bytes& body) {
    Put32(png, static_cast<std::uint32_t>(body.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    png.insert(png.end(), typed.begin(), typed.end());
    Put32(png, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

struct Picture {
    std::uint32_t width = 0, height = 0;
    int depth = 8, colour = 6, interlace = 0;
    Bytes palette, transparency;
    std::vector<Bytes> rows;   // unfiltered samples, packed
    std::vector<int> filters;  // one a row (0 when missing)
    std::size_t idatPiece = 0; // split the data into chunks of this many bytes (0: one chunk)
};

int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

Bytes Encode(const Picture& p) {
    const int channels[] = {1, 0, 3, 1, 2, 0, 4};
    const std::size_t bpp = std::max(1, p.depth * channels[p.colour] / 8);
    Bytes raw;
    Bytes above(p.rows.empty() ? 0 : p.rows[0].size(), 0);
    for (std::size_t y = 0; y < p.rows.size(); ++y) {
        const Bytes& row = p.rows[y];
        const int f = y < p.filters.size() ? p.filters[y] : 0;
        raw.push_back(static_cast<std::uint8_t>(f));
        for (std::size_t i = 0; i < row.size(); ++i) {
            const int a = i >= bpp ? row[i - bpp] : 0, b = above[i], c = i >= bpp ? above[i - bpp] : 0;
            const int pred = f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : f == 4 ? Paeth(a, b, c) : 0;
            raw.push_back(static_cast<std::uint8_t>(row[i] - pred));
        }
        above = row;
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);

    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    Put32(ihdr, p.width);
    Put32(ihdr, p.height);
    ihdr.insert(ihdr.end(), {static_cast<std::uint8_t>(p.depth), static_cast<std::uint8_t>(p.colour), 0, 0,
                             static_cast<std::uint8_t>(p.interlace)});
    Chunk(png, "IHDR", ihdr);
    if (!p.palette.empty())
        Chunk(png, "PLTE", p.palette);
    if (!p.transparency.empty())
        Chunk(png, "tRNS", p.transparency);
    const std::size_t piece = p.idatPiece ? p.idatPiece : packed.size();
    for (std::size_t at = 0; at < packed.size(); at += piece)
        Chunk(png, "IDAT", Bytes(packed.begin() + static_cast<long>(at),
                                 packed.begin() + static_cast<long>(std::min(packed.size(), at + piece))));
    Chunk(png, "IEND", {});
    return png;
}

struct Decoded {
    PngResult result = PngResult::Damaged;
    PngSize size;
    std::vector<std::uint32_t> pixels;
};

Decoded Decode(const Bytes& png, PngAlpha alpha = PngAlpha::Straight, int maxSide = 4096) {
    Decoded d;
    d.result = DecodePng(png.data(), png.size(), maxSide, alpha, [&](PngSize s) {
        d.size = s;
        d.pixels.assign(static_cast<std::size_t>(s.width) * s.height, 0xDEADBEEF);
        return d.pixels.data();
    });
    return d;
}

// A 5 x 4 RGBA picture whose every filter type appears, with changing values.
Picture Rgba() {
    Picture p;
    p.width = 5;
    p.height = 5;
    for (std::uint32_t y = 0; y < p.height; ++y) {
        Bytes row;
        for (std::uint32_t x = 0; x < p.width; ++x)
            row.insert(row.end(), {static_cast<std::uint8_t>(x * 50 + y), static_cast<std::uint8_t>(200 - y * 30),
                                   static_cast<std::uint8_t>(x * y * 9), static_cast<std::uint8_t>(x == 0 ? 0 : 60 * x + 15)});
        p.rows.push_back(row);
        p.filters.push_back(static_cast<int>(y));  // none, sub, up, average, Paeth
    }
    return p;
}

TEST(PngDecoder, ReadsEveryFilterOfAnRgbaPicture) {
    const Picture p = Rgba();
    const Decoded d = Decode(Encode(p));
    ASSERT_EQ(d.result, PngResult::Decoded);
    EXPECT_EQ(d.size.width, 5);
    EXPECT_EQ(d.size.height, 5);
    for (std::uint32_t y = 0; y < p.height; ++y)
        for (std::uint32_t x = 0; x < p.width; ++x) {
            const std::uint8_t* s = &p.rows[y][x * 4];
            const std::uint32_t want = (std::uint32_t{s[3]} << 24) | (s[0] << 16) | (s[1] << 8) | s[2];
            EXPECT_EQ(d.pixels[y * 5 + x], want) << x << "," << y;
        }

    // The same data cut into many chunks, down to a byte each, reads the same.
    Picture split = p;
    for (std::size_t piece : {1u, 3u, 7u}) {
        split.idatPiece = piece;
        EXPECT_EQ(Decode(Encode(split)).pixels, d.pixels) << piece;
    }

    // Paeth's tie between above and upper-left goes to above: left 0, above 30,
    // upper-left 10 are 10 from 20 both.
    Picture tie;
    tie.width = 2;
    tie.height = 2;
    tie.colour = 0;
    tie.rows = {Bytes{10, 30}, Bytes{0, 77}};
    tie.filters = {0, 4};
    const Decoded t = Decode(Encode(tie));
    ASSERT_EQ(t.result, PngResult::Decoded);
    EXPECT_EQ(t.pixels, (std::vector<std::uint32_t>{0xFF0A0A0Au, 0xFF1E1E1Eu, 0xFF000000u, 0xFF4D4D4Du}));
}

TEST(PngDecoder, PremultipliesRoundingAsTheSystemDoes) {
    Picture p;
    p.width = 4;
    p.height = 1;
    p.rows = {Bytes{255, 255, 255, 128, 200, 100, 50, 0, 255, 0, 10, 255, 9, 99, 201, 77}};
    const Decoded d = Decode(Encode(p), PngAlpha::Premultiplied);
    ASSERT_EQ(d.result, PngResult::Decoded);
    EXPECT_EQ(d.pixels[0], 0x80808080u);  // 255 * 128 / 255, rounded
    EXPECT_EQ(d.pixels[1], 0x00000000u);  // nothing left of a colour with no alpha
    EXPECT_EQ(d.pixels[2], 0xFFFF000Au);  // opaque: unchanged
    for (unsigned c : {9u, 99u, 201u}) {
        const unsigned want = (c * 77 + 127) / 255;
        const unsigned shift = c == 9 ? 16 : c == 99 ? 8 : 0;
        EXPECT_EQ((d.pixels[3] >> shift) & 0xFF, want) << c;
    }
}

TEST(PngDecoder, ReadsPalettesGreyAndRgbWithTheirTransparency) {
    // Palette of 2 bits, four colours, the first see-through, the second half.
    Picture pal;
    pal.width = 6;
    pal.height = 2;
    pal.depth = 2;
    pal.colour = 3;
    pal.palette = {255, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    pal.transparency = {0, 128};
    pal.rows = {Bytes{0b00011011, 0b11100000}, Bytes{0b01010101, 0b00000000}};
    pal.filters = {0, 2};
    Decoded d = Decode(Encode(pal));
    ASSERT_EQ(d.result, PngResult::Decoded);
    EXPECT_EQ(d.pixels[0], 0x00FF00FFu);
    EXPECT_EQ(d.pixels[1], 0x800A141Eu);
    EXPECT_EQ(d.pixels[2], 0xFF28323Cu);
    EXPECT_EQ(d.pixels[3], 0xFF46505Au);
    EXPECT_EQ(d.pixels[4], 0xFF46505Au);
    EXPECT_EQ(d.pixels[5], 0xFF28323Cu);
    EXPECT_EQ(d.pixels[6], 0x800A141Eu);
    EXPECT_EQ(d.pixels[9], 0x800A141Eu);
    EXPECT_EQ(d.pixels[10], 0x00FF00FFu);
    EXPECT_EQ(d.pixels[11], 0x00FF00FFu);

    // Palettes of 1 and 8 bits; an index past the palette is damage.
    pal.depth = 1;
    pal.rows = {Bytes{0b10110000}, Bytes{0b01000000}};
    d = Decode(Encode(pal));
    ASSERT_EQ(d.result, PngResult::Decoded);
    EXPECT_EQ(d.pixels[0], 0x800A141Eu);
    EXPECT_EQ(d.pixels[1], 0x00FF00FFu);
    EXPECT_EQ(d.pixels[7], 0x800A141Eu);
    pal.depth = 8;
    pal.rows = {Bytes{3, 2, 1, 0, 3, 2}, Bytes{0, 0, 0, 0, 0, 4}};
    EXPECT_EQ(Decode(Encode(pal)).result, PngResult::Damaged);
    pal.rows[1][5] = 3;
    d = Decode(Encode(pal));
    ASSERT_EQ(d.result, PngResult::Decoded);
    EXPECT_EQ(d.pixels[0], 0xFF46505Au);
    EXPECT_EQ(d.pixels[11], 0xFF46505Au);

    // Grey with a see-through level, grey with alpha, RGB with a see-through colour.
    Picture grey;
    grey.width = 3;
    grey.height = 1;
    grey.colour = 0;
    grey.transparency = {0, 7};
    grey.rows = {Bytes{7, 8, 255}};
    d = Decode(Encode(grey));
    ASSERT_EQ(d.result, PngResult::Decoded);
    EXPECT_EQ(d.pixels, (std::vector<std::uint32_t>{0x00070707u, 0xFF080808u, 0xFFFFFFFFu}));
    grey.colour = 4;
    grey.transparency.clear();
    grey.rows = {Bytes{7, 0, 8, 9, 255, 255}};
    d = Decode(Encode(grey));
    ASSERT_EQ(d.result, PngResult::Decoded);
    EXPECT_EQ(d.pixels, (std::vector<std::uint32_t>{0x00070707u, 0x09080808u, 0xFFFFFFFFu}));
    Picture rgb;
    rgb.width = 2;
    rgb.height = 1;
    rgb.colour = 2;
    rgb.transparency = {0, 1, 0, 2, 0, 3};
    rgb.rows = {Bytes{1, 2, 3, 1, 2, 4}};
    d = Decode(Encode(rgb));
    ASSERT_EQ(d.result, PngResult::Decoded);
    EXPECT_EQ(d.pixels, (std::vector<std::uint32_t>{0x00010203u, 0xFF010204u}));
}

TEST(PngDecoder, LeavesSixteenBitsAndInterlacingToTheSystem) {
    Picture p = Rgba();
    p.interlace = 1;
    EXPECT_EQ(Decode(Encode(p)).result, PngResult::Unsupported);
    p = Rgba();
    p.depth = 16;
    EXPECT_EQ(Decode(Encode(p)).result, PngResult::Unsupported);
}

TEST(PngDecoder, DamagedPicturesAreRefusedWithoutReadingPastThem) {
    const Bytes good = Encode(Rgba());
    ASSERT_EQ(Decode(good).result, PngResult::Decoded);
    // Cut anywhere: never a picture, never a read past the end (the sanitizer tree sees).
    for (std::size_t n = 0; n < good.size() - 12; ++n)
        EXPECT_EQ(Decode(Bytes(good.begin(), good.begin() + static_cast<long>(n))).result, PngResult::Damaged) << n;
    // One byte changed in a chunk: its checksum no longer holds.
    for (std::size_t at : {std::size_t{0}, std::size_t{20}, good.size() / 2}) {
        Bytes bad = good;
        bad[at] ^= 0x40;
        EXPECT_EQ(Decode(bad).result, PngResult::Damaged) << at;
    }
    // A length that runs past the end.
    Bytes longer = good;
    longer[8] = 0x7F;
    EXPECT_EQ(Decode(longer).result, PngResult::Damaged);
    // Larger than the caller takes, or a caller that declines: asked for nothing, or refused.
    EXPECT_EQ(Decode(good, PngAlpha::Straight, 4).result, PngResult::Damaged);
    // A side at the caller's limit is taken; a height past it is refused as a width is.
    EXPECT_EQ(Decode(good, PngAlpha::Straight, 5).result, PngResult::Decoded);
    Picture tall = Rgba();
    tall.height = 6;
    tall.rows.push_back(tall.rows.back());
    ASSERT_EQ(Decode(Encode(tall)).result, PngResult::Decoded);
    EXPECT_EQ(Decode(Encode(tall), PngAlpha::Straight, 5).result, PngResult::Damaged);
    EXPECT_EQ(DecodePng(good.data(), good.size(), 4096, PngAlpha::Straight, [](PngSize) { return nullptr; }),
              PngResult::Damaged);
    // A palette picture without its palette; no data at all.
    Picture pal;
    pal.width = pal.height = 1;
    pal.colour = 3;
    pal.rows = {Bytes{0}};
    EXPECT_EQ(Decode(Encode(pal)).result, PngResult::Damaged);
    Picture empty = Rgba();
    empty.rows.clear();
    EXPECT_EQ(Decode(Encode(empty)).result, PngResult::Damaged);
    // Fewer rows than the header says.
    Picture shortRows = Rgba();
    shortRows.rows.pop_back();
    EXPECT_EQ(Decode(Encode(shortRows)).result, PngResult::Damaged);
    // An unknown filter type.
    Picture filter = Rgba();
    filter.filters[2] = 5;
    EXPECT_EQ(Decode(Encode(filter)).result, PngResult::Damaged);
    // A zero or huge size.
    Picture zero = Rgba();
    zero.width = 0;
    EXPECT_EQ(Decode(Encode(zero)).result, PngResult::Damaged);
    Picture huge = Rgba();
    huge.width = 0xFFFFFFFFu;
    EXPECT_EQ(Decode(Encode(huge)).result, PngResult::Damaged);
}

}  // namespace
