#include <gtest/gtest.h>

#include "framework/paint_bands.h"

namespace {

using fw::PaintBands;
using fw::RowBand;

// The bands cover exactly [top, bottom), in order, none empty, none larger
// than the limit allows (but at least one row).
void ExpectTiling(int top, int bottom, int width, long maxBytes) {
    const std::vector<RowBand> bands = PaintBands(top, bottom, width, maxBytes);
    ASSERT_FALSE(bands.empty());
    EXPECT_EQ(bands.front().top, top);
    EXPECT_EQ(bands.back().bottom, bottom);
    const long rowBytes = static_cast<long>(width) * 4;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        EXPECT_LT(bands[i].top, bands[i].bottom) << i;
        const long rows = bands[i].bottom - bands[i].top;
        EXPECT_TRUE(rows == 1 || rows * rowBytes <= maxBytes) << i;
        if (i > 0) {
            EXPECT_EQ(bands[i].top, bands[i - 1].bottom) << i;
        }
    }
}

TEST(PaintBands, CoverTheRowsInBandsWithinTheLimit) {
    ExpectTiling(0, 800, 1280, 256 * 1024);   // a launcher over the work area: 51 rows a band
    ExpectTiling(37, 91, 300, 256 * 1024);    // part of a small window: one band
    ExpectTiling(-20, 20, 100, 1600);         // above the window's top (a clip box may start there)
    ExpectTiling(0, 10, 100000, 1024);        // a row wider than the limit: one row a band
    EXPECT_EQ(PaintBands(0, 800, 1280, 256 * 1024).size(), 16u);
    EXPECT_EQ(PaintBands(0, 10, 10, 1 << 20).size(), 1u);
}

TEST(PaintBands, NothingToPaintGivesNoBands) {
    EXPECT_TRUE(PaintBands(5, 5, 100, 4096).empty());
    EXPECT_TRUE(PaintBands(9, 5, 100, 4096).empty());
    EXPECT_TRUE(PaintBands(0, 100, 0, 4096).empty());
    EXPECT_TRUE(PaintBands(0, 100, -3, 4096).empty());
}

}  // namespace
