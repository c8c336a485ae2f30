// The skins drawn for each scale, as the program carries them: which drawing a
// window gets, the smooth resampling of a picture not drawn for its scale, and
// the committed drawings of the keyed shapes read back: the scaled size and
// hard edges (nothing between the key colour and the shape).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/png_decoder.h"
#include "res/skin_ids.h"
#include "skin/skin_scale.h"

namespace {

using namespace ovn::skin;
using ovn::DisplayScale;

constexpr SkinDrawing kDrawings[] = {
#define SKIN_DRAWING(id, dpi, resource) SkinDrawing{id, dpi, resource},
    SKIN_DRAWINGS
#undef SKIN_DRAWING
};

TEST(SkinDrawings, ChosenForTheScale) {
    // The shapes exist at every scale; the artwork at 100 and 200 % only.
    for (const int dpi : {96, 120, 144, 192}) {
        const SkinDrawing* d = DrawingFor(IDB_BTN_CLOSE, dpi, kDrawings);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->dpi, dpi);
    }
    EXPECT_EQ(DrawingFor(IDB_LOGIN_BK, 96, kDrawings)->resource, unsigned{IDB_LOGIN_BK});
    // Between its drawings the artwork is shrunk from the larger, never grown.
    EXPECT_EQ(DrawingFor(IDB_LOGIN_BK, 120, kDrawings)->dpi, 192);
    EXPECT_EQ(DrawingFor(IDB_LOGIN_BK, 144, kDrawings)->dpi, 192);
    EXPECT_EQ(DrawingFor(IDB_LOGIN_BK, 288, kDrawings)->dpi, 192);  // nothing larger: the largest
    EXPECT_EQ(DrawingFor(4242, 96, kDrawings), nullptr);
    EXPECT_EQ(DrawnDpis(kDrawings), (std::vector<int>{96, 120, 144, 192}));
    // Every resource id is one drawing's.
    for (const SkinDrawing& a : kDrawings)
        for (const SkinDrawing& b : kDrawings)
            if (&a != &b) {
                EXPECT_NE(a.resource, b.resource) << a.id << "@" << a.dpi << " and " << b.id << "@" << b.dpi;
            }
}

using Pixels = std::vector<std::uint32_t>;  // 0xAARRGGBB, top row first

TEST(SkinDrawings, ResampledByArea) {
    // 4 x 2 -> 2 x 1: each target pixel is the mean of a 2 x 2 block.
    const Pixels src = {0xFF000000u, 0xFF0000FFu, 0x80808080u, 0x00000000u,
                        0xFF000000u, 0xFF0000FFu, 0x80808080u, 0x00000000u};
    Pixels out(2);
    ASSERT_TRUE(ResamplePremultiplied(reinterpret_cast<const std::uint8_t*>(src.data()), 4, 2, 16,
                                      reinterpret_cast<std::uint8_t*>(out.data()), 2, 1, 8));
    EXPECT_EQ(out[0], 0xFF000080u);  // blue 255 and 0: 127.5, rounded up
    EXPECT_EQ(out[1], 0x40404040u);
    // 3 -> 2 on a row: the middle pixel is split half and half.
    const Pixels row = {0xFF0000FFu, 0xFF000000u, 0xFF0000C0u};
    ASSERT_TRUE(ResamplePremultiplied(reinterpret_cast<const std::uint8_t*>(row.data()), 3, 1, 12,
                                      reinterpret_cast<std::uint8_t*>(out.data()), 2, 1, 8));
    EXPECT_EQ(out[0], 0xFF0000AAu);  // (2 * 255 + 0) / 3
    EXPECT_EQ(out[1], 0xFF000080u);  // (0 + 2 * 192) / 3
    EXPECT_FALSE(ResamplePremultiplied(reinterpret_cast<const std::uint8_t*>(row.data()), 3, 1, 8,
                                       reinterpret_cast<std::uint8_t*>(out.data()), 2, 1, 8));  // short stride
    EXPECT_FALSE(ResamplePremultiplied(nullptr, 3, 1, 12, reinterpret_cast<std::uint8_t*>(out.data()), 2, 1, 8));
}

struct Image {
    int w = 0, h = 0;
    Pixels px;
    std::uint32_t At(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
};

Image ReadDrawing(const SkinDrawing& d) {
    const std::string name = d.dpi == DisplayScale::kBaseDpi
                                 ? std::to_string(d.id)
                                 : std::to_string(d.id) + "_" + std::to_string(DisplayScale(d.dpi).Percent());
    std::ifstream f(std::string(OVN_SOURCE_DIR) + "/res/png/" + name + ".png", std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    Image img;
    const fw::PngResult r = fw::DecodePng(bytes.data(), bytes.size(), 0x7FFF, fw::PngAlpha::Straight,
                                          [&](fw::PngSize s) {
                                              img.w = s.width;
                                              img.h = s.height;
                                              img.px.resize(static_cast<std::size_t>(s.width) * s.height);
                                              return img.px.data();
                                          });
    EXPECT_EQ(r, fw::PngResult::Decoded) << name;
    return img;
}

// Where a drawing is not hard-edged: a half-transparent pixel (the program
// would blend it over white), or an opaque pixel next to a transparent one
// whose colour lies between the key colour and the pixel beyond it, as a
// shape resampled together with its key comes out. Empty when it is hard-edged.
std::string SoftEdge(const Image& img) {
    auto alpha = [&](int x, int y) { return img.At(x, y) >> 24; };
    // A key pixel: transparent, or already keyed (opaque in the key colour).
    auto isKey = [&](int x, int y) { return alpha(x, y) == 0 || (img.At(x, y) & 0xFFFFFFu) == 0xFF00FFu; };
    auto channel = [](std::uint32_t p, int c) { return static_cast<int>((p >> (16 - 8 * c)) & 0xFF); };
    const int key[3] = {255, 0, 255};
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const std::uint32_t a = alpha(x, y);
            if (a != 0 && a != 255)
                return "half-transparent at " + std::to_string(x) + "," + std::to_string(y);
            if (isKey(x, y))
                continue;
            for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int kx = x - dx, ky = y - dy, fx = x + dx, fy = y + dy;  // key side, far side
                if (kx < 0 || ky < 0 || kx >= img.w || ky >= img.h || fx < 0 || fy < 0 || fx >= img.w ||
                    fy >= img.h || !isKey(kx, ky) || isKey(fx, fy))
                    continue;
                const std::uint32_t p = img.At(x, y), q = img.At(fx, fy);
                // p = t * key + (1 - t) * q, for one t well inside (0, 1)?
                int c0 = 0;
                for (int c = 1; c < 3; ++c)
                    if (std::abs(key[c] - channel(q, c)) > std::abs(key[c0] - channel(q, c0)))
                        c0 = c;
                const int span = key[c0] - channel(q, c0);
                if (std::abs(span) < 48)
                    continue;  // the shape's own colour is near the key: no blend to see
                const double t = static_cast<double>(channel(p, c0) - channel(q, c0)) / span;
                if (t < 0.15 || t > 0.85)
                    continue;
                bool between = true;
                for (int c = 0; c < 3; ++c)
                    between = between && std::abs(channel(p, c) - (t * key[c] + (1 - t) * channel(q, c))) <= 12;
                if (between)
                    return "key blended in at " + std::to_string(x) + "," + std::to_string(y);
            }
        }
    return {};
}

TEST(SkinDrawings, KeyedShapesDrawnAtEveryScaleWithHardEdges) {
    // Keyed shapes of every kind: stretched and unscaled frames, strips of four
    // and of three cells, a single image. Their 100 % drawing gives the size.
    struct Shape {
        unsigned id;
        int cells;
    };
    const Shape shapes[] = {{IDB_DLG_FRAME, 1},  {IDB_NOTICE_FRAME, 1}, {IDB_BTN_CLOSE, 4},
                            {IDB_BTN_HIDE, 4},   {IDB_TABS, 3},         {IDB_TAB_CLOSE, 3},
                            {IDB_LINK_ACCOUNT, 1}, {IDB_PROGRESS_BK, 1}};
    for (const Shape& shape : shapes) {
        const Image base = ReadDrawing(*DrawingFor(shape.id, 96, kDrawings));
        ASSERT_GT(base.w, 0);
        for (const int dpi : {120, 144, 192}) {
            SCOPED_TRACE(std::to_string(shape.id) + " at " + std::to_string(dpi));
            const SkinDrawing* d = DrawingFor(shape.id, dpi, kDrawings);
            ASSERT_NE(d, nullptr);
            ASSERT_EQ(d->dpi, dpi);  // drawn for the scale, not made from another
            const Image img = ReadDrawing(*d);
            const DisplayScale s(dpi);
            // Each cell scaled by the one rounding rule, so cells stay equal.
            EXPECT_EQ(img.w, shape.cells * s.Px(base.w / shape.cells));
            EXPECT_EQ(img.h, s.Px(base.h));
            EXPECT_EQ(SoftEdge(img), "");
        }
    }
}

TEST(SkinDrawings, AResampledShapeIsCaughtAsSoft) {
    // What the check above guards against: the 200 % close button shrunk to
    // 150 %, with its alpha (edges half-transparent) or keyed (the glyph
    // smeared into the key colour around it).
    const Image big = ReadDrawing(*DrawingFor(IDB_BTN_CLOSE, 192, kDrawings));
    const Image drawn = ReadDrawing(*DrawingFor(IDB_BTN_CLOSE, 144, kDrawings));
    auto shrunk = [&](bool keyed) {
        Pixels from(big.px.size());
        for (std::size_t i = 0; i < from.size(); ++i) {
            const std::uint32_t p = big.px[i], a = p >> 24;
            auto m = [&](int shift) { return (((p >> shift) & 0xFF) * a + 127) / 255 << shift; };
            from[i] = keyed ? (a == 0 ? 0xFFFF00FFu : p) : (a << 24) | m(16) | m(8) | m(0);
        }
        Image out{drawn.w, drawn.h, Pixels(drawn.px.size())};
        EXPECT_TRUE(ResamplePremultiplied(reinterpret_cast<const std::uint8_t*>(from.data()), big.w, big.h,
                                          big.w * 4, reinterpret_cast<std::uint8_t*>(out.px.data()), out.w, out.h,
                                          out.w * 4));
        return out;
    };
    EXPECT_EQ(SoftEdge(shrunk(false)).rfind("half-transparent", 0), 0u);
    EXPECT_EQ(SoftEdge(shrunk(true)).rfind("key blended", 0), 0u);
}

}  // namespace
