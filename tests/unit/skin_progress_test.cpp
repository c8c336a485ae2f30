#include "skin/progress_fill.h"

#include <gtest/gtest.h>

using namespace ovn::skin;

namespace {

const Rect kFull{0, 0, 390, 21};

}  // namespace

TEST(ProgressLayout, FillCentredInTheBackground) {
    EXPECT_EQ(LayoutProgress({390, 21}, {390, 21}), (ProgressLayout{kFull, kFull}));
    // Odd differences round toward the top left.
    EXPECT_EQ(LayoutProgress({101, 20}, {60, 11}), (ProgressLayout{{0, 0, 101, 20}, {20, 4, 80, 15}}));
}

TEST(ProgressFill, FilledWidthOfAPosition) {
    EXPECT_EQ(ProgressFilledWidth(390, 0, 0, 100), 0);
    EXPECT_EQ(ProgressFilledWidth(390, 1, 0, 100), 3);
    EXPECT_EQ(ProgressFilledWidth(390, 50, 0, 100), 195);
    EXPECT_EQ(ProgressFilledWidth(390, 99, 0, 100), 386);
    EXPECT_EQ(ProgressFilledWidth(390, 100, 0, 100), 390);
    // The lower bound is not taken off the position...
    EXPECT_EQ(ProgressFilledWidth(390, 60, 50, 150), 234);
    // ...but what that makes of it never leaves the fill image.
    EXPECT_EQ(ProgressFilledWidth(390, 150, 50, 150), 390);
    EXPECT_EQ(ProgressFilledWidth(390, -20, -50, 50), 0);
    // An empty range shows nothing rather than dividing by zero.
    EXPECT_EQ(ProgressFilledWidth(390, 7, 5, 5), 0);
}

TEST(ProgressFill, PiecesFromBothEnds) {
    // 50 %: pixels 0-96 of the fill to x 0-96, pixels 292-389 to x 97-194.
    EXPECT_EQ(ProgressFillPieces(kFull, 50, 0, 100),
              (std::vector<Blit>{{{0, 0, 97, 21}, {0, 0, 97, 21}}, {{97, 0, 195, 21}, {292, 0, 390, 21}}}));
    // 1 %: three pixels, one of the left end and two of the right end.
    EXPECT_EQ(ProgressFillPieces(kFull, 1, 0, 100),
              (std::vector<Blit>{{{0, 0, 1, 21}, {0, 0, 1, 21}}, {{1, 0, 3, 21}, {388, 0, 390, 21}}}));
    // 100 %: the two pieces join into the whole image, each pixel in its place.
    EXPECT_EQ(ProgressFillPieces(kFull, 100, 0, 100),
              (std::vector<Blit>{{{0, 0, 195, 21}, {0, 0, 195, 21}}, {{195, 0, 390, 21}, {195, 0, 390, 21}}}));
    EXPECT_TRUE(ProgressFillPieces(kFull, 0, 0, 100).empty());
}

TEST(ProgressFill, PiecesOfACentredNarrowerBar) {
    const Rect bar{20, 4, 80, 15};  // 60 x 11
    EXPECT_EQ(ProgressFillPieces(bar, 50, 0, 100),
              (std::vector<Blit>{{{20, 4, 35, 15}, {0, 0, 15, 11}}, {{35, 4, 50, 15}, {45, 0, 60, 11}}}));
}
