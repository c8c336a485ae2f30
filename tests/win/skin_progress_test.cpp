// The image progress bar on a skinned window: the program's own track and fill
// images at 0, 1, 50 and 100 %, every pixel compared with what the images and
// the parent's skin put there; a narrower fill centred in its track.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "skin/img_progress.h"
#include "skin_control_host.h"

#include "res/skin_ids.h"

using namespace ovn::skin;
namespace gdi = ovn::gdi;
using skintest::Pixels;
using skintest::Rgba;

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = skintest::ShowPatternHost(440, 120);
        ASSERT_TRUE(host);
    }
    void TearDown() override {
        bar.reset();
        host.reset();
        skintest::PumpIdle();
    }
    // A progress control of the template's kind at (20, 50), bound and skinned.
    void Make(gdi::Bitmap background, gdi::Bitmap fill) {
        HWND hwnd = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 20, 50, 100, 10, host->hwnd(),
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(hwnd);
        bar = std::make_unique<CImgProgress>();
        ASSERT_TRUE(bar->Subclass(hwnd));
        if (background || fill)
            bar->SetImages(std::move(background), std::move(fill));
    }
    // The bar after a position change, with nothing but the control's own repaint.
    Pixels At(int pos) {
        SendMessageW(bar->hwnd(), PBM_SETPOS, static_cast<WPARAM>(pos), 0);
        return skintest::Shot(bar->hwnd());
    }

    std::unique_ptr<skintest::PatternHost> host;
    std::unique_ptr<CImgProgress> bar;
};

gdi::Bitmap Decode(const std::vector<std::uint8_t>& png) { return DecodeSkinImage(png.data(), png.size()); }

}  // namespace

TEST_F(ProgressTest, TrackAndRoundedFillAtZeroOneFiftyAndHundredPercent) {
    const Pixels track = skintest::ReadBitmap(LoadSkinImage(IDB_PROGRESS_BK).get());
    const Pixels fill = skintest::ReadBitmap(LoadSkinImage(IDB_PROGRESS_BAR).get());
    ASSERT_EQ(track.w, 390);
    ASSERT_EQ(fill.w, 390);
    // Both images have see-through rounded ends.
    ASSERT_EQ(track.at(0, 0), kKey);
    ASSERT_EQ(fill.at(0, 0), kKey);
    ASSERT_EQ(fill.at(389, 20), kKey);
    ASSERT_NE(fill.at(195, 10), kKey);

    Make(LoadSkinImage(IDB_PROGRESS_BK), LoadSkinImage(IDB_PROGRESS_BAR));
    RECT r{};
    GetWindowRect(bar->hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 390);  // fitted to the track...
    EXPECT_EQ(r.bottom - r.top, 21);
    POINT at{r.left, r.top};
    ScreenToClient(host->hwnd(), &at);
    EXPECT_EQ(at.x, 20);  // ...where it was
    EXPECT_EQ(at.y, 50);
    const Pixels parent = skintest::ParentUnder(bar->hwnd());

    // Out of order, so that a stale piece of an earlier length would show.
    const struct {
        int pos, filled;
        const char* shot;
    } cases[] = {{0, 0, "progress-0"}, {50, 195, "progress-50"}, {1, 3, "progress-1"}, {100, 390, "progress-100"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pos);
        const Pixels shot = At(c.pos);
        skintest::KeepShot(shot, c.shot, 2);
        ASSERT_EQ(shot.w, 390);
        const int half = c.filled / 2;
        int fillPixels = 0;
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 390; ++x) {
                // The left half of the length from the fill's left end, the rest
                // from its right end; the track under it; the skin under both.
                COLORREF want = track.at(x, y) == kKey ? parent.at(x, y) : track.at(x, y);
                if (x < c.filled) {
                    const COLORREF f = fill.at(x < half ? x : 390 - c.filled + x, y);
                    if (f != kKey) {
                        want = f;
                        ++fillPixels;
                    }
                }
                ASSERT_EQ(shot.at(x, y), want) << x << "," << y;
            }
        // (The few pixels of 1 % fall on the fill's see-through ends here.)
        EXPECT_EQ(fillPixels > 0, c.filled > 3);
    }
}

TEST_F(ProgressTest, NarrowerFillIsCentredAndNoImagesShowTheSkin) {
    Make({}, {});
    const Pixels bare = skintest::Shot(bar->hwnd());
    const Pixels parent = skintest::ParentUnder(bar->hwnd());
    for (int y = 0; y < bare.h; ++y)
        for (int x = 0; x < bare.w; ++x)
            ASSERT_EQ(bare.at(x, y), parent.at(x, y)) << x << "," << y;

    // A 41 x 12 track, a 20 x 5 fill whose column c is red 10 * c; range 0-200.
    std::vector<Rgba> t(41 * 12, Rgba{40, 40, 40, 255}), f(20 * 5);
    for (int i = 0; i < 20 * 5; ++i)
        f[i] = Rgba{static_cast<std::uint8_t>(10 * (i % 20)), 250, 0, 255};
    bar->SetImages(Decode(skintest::EncodePngRgba(41, 12, t)), Decode(skintest::EncodePngRgba(20, 5, f)));
    SendMessageW(bar->hwnd(), PBM_SETRANGE32, 0, 200);
    const Pixels shot = At(100);
    ASSERT_EQ(shot.w, 41);
    ASSERT_EQ(shot.h, 12);
    // The fill sits at (10, 3); 10 pixels filled: columns 0-4 then 15-19.
    EXPECT_EQ(shot.at(9, 5), RGB(40, 40, 40));
    EXPECT_EQ(shot.at(10, 2), RGB(40, 40, 40));
    EXPECT_EQ(shot.at(10, 3), RGB(0, 250, 0));
    EXPECT_EQ(shot.at(14, 7), RGB(40, 250, 0));
    EXPECT_EQ(shot.at(15, 5), RGB(150, 250, 0));
    EXPECT_EQ(shot.at(19, 5), RGB(190, 250, 0));
    EXPECT_EQ(shot.at(19, 8), RGB(40, 40, 40));
    EXPECT_EQ(shot.at(20, 5), RGB(40, 40, 40));

    // 1 % of an opaque 390-pixel fill: its first column, then its last two.
    std::vector<Rgba> t2(390 * 21, Rgba{40, 40, 40, 255}), f2(390 * 21);
    for (int i = 0; i < 390 * 21; ++i)
        f2[i] = Rgba{static_cast<std::uint8_t>(i % 390 % 256), static_cast<std::uint8_t>(50 + i % 390 / 256 * 100), 0,
                     255};
    bar->SetImages(Decode(skintest::EncodePngRgba(390, 21, t2)), Decode(skintest::EncodePngRgba(390, 21, f2)));
    SendMessageW(bar->hwnd(), PBM_SETRANGE32, 0, 100);
    const Pixels one = At(1);
    EXPECT_EQ(one.at(0, 10), RGB(0, 50, 0));
    EXPECT_EQ(one.at(1, 10), RGB(388 - 256, 150, 0));
    EXPECT_EQ(one.at(2, 10), RGB(389 - 256, 150, 0));
    EXPECT_EQ(one.at(3, 10), RGB(40, 40, 40));
}
