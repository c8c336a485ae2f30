// The plain engine's page at the four display scales players meet most: every
// CSS length of the page in the window's pixels by the one rounding rule, boxes
// that meet at 100 % meeting at every scale, and the way each picture is scaled.
#include "browser/plain/page_scale.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "browser/plain/page_boxes.h"

using namespace ovn::browser;
using ovn::DisplayScale;

namespace {

constexpr std::array<int, 4> kDpis = {96, 120, 144, 192};

// Two sprite buttons side by side in a padded panel, a paragraph with a margin below.
constexpr const wchar_t* kPage =
    L"<body><div id=panel style='position:absolute;left:13px;top:7px;padding:5px 3px'>"
    L"<div id=a style='position:absolute;left:0;top:0;width:75px;height:25px;"
    L"background:url(b.png) -75px 3px'></div>"
    L"<div id=b style='position:absolute;left:75px;top:0;width:75px;height:25px'></div></div>"
    L"<p style='margin:0 0 9px 0'>one</p><p>two</p></body>";

int ById(const HtmlDocument& doc, std::wstring_view id) {
    for (size_t i = 0; i < doc.elements.size(); ++i)
        if (const auto* v = doc.elements[i].Attribute(L"id"); v && *v == id)
            return static_cast<int>(i);
    return -1;
}

}  // namespace

TEST(PageScale, EveryLengthOfThePageAtEachScale) {
    const HtmlDocument at100 = ParseHtml(kPage);
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const DisplayScale s(dpi);
        const HtmlDocument doc = ScaledDocument(at100, s);
        const HtmlStyle& panel = doc.elements[size_t(ById(doc, L"panel"))].style;
        EXPECT_EQ(panel.left, s.Px(13));
        EXPECT_EQ(panel.top, s.Px(7));
        EXPECT_EQ(panel.padding.top, s.Px(5));
        EXPECT_EQ(panel.padding.left, s.Px(3));
        const HtmlStyle& a = doc.elements[size_t(ById(doc, L"a"))].style;
        EXPECT_EQ(a.backgroundX, s.Px(-75));
        EXPECT_EQ(a.backgroundY, s.Px(3));
        EXPECT_EQ(a.height, s.Px(25));
        // The gap under the first paragraph, and nothing else of the text, changes.
        ASSERT_EQ(doc.blocks.size(), at100.blocks.size());
        EXPECT_EQ(doc.blocks.back().gapBefore, s.Px(9));
        EXPECT_EQ(doc.blocks.back().runs[0].text, L"two");
        EXPECT_EQ(doc.title, at100.title);

        // Laid out: the two buttons still meet, and the second ends where 150 px
        // from the panel's corner (its padding box's) ends at this scale.
        auto measure = [](std::wstring_view t, bool) { return static_cast<int>(t.size()) * 7; };
        auto box = [&doc](int e, int& w, int& h) {
            w = doc.elements[size_t(e)].style.width.value_or(0);
            h = doc.elements[size_t(e)].style.height.value_or(0);
        };
        const PageLayout layout = LayoutPage(doc, 600, 16, measure, box);
        const auto boxes = ElementBoxes(doc, layout, 600);
        const ElementBox& ba = boxes[size_t(ById(doc, L"a"))];
        const ElementBox& bb = boxes[size_t(ById(doc, L"b"))];
        EXPECT_EQ(ba.left + ba.width, bb.left);
        EXPECT_EQ(ba.left, s.Px(13));
        EXPECT_EQ(bb.left + bb.width, s.Px(13) + s.Px(150));
        EXPECT_EQ(bb.height, s.Px(25));
    }
    // At 100 % the page is as written.
    const HtmlDocument same = ScaledDocument(at100, DisplayScale());
    EXPECT_EQ(same.elements[size_t(ById(same, L"b"))].style.left, 75);
    EXPECT_EQ(same.blocks.back().gapBefore, 9);
}

TEST(PageScale, KeyedArtIsScaledSharpPhotosSmoothAndNothingAt100) {
    const std::uint32_t key = 0xFF00FF;
    const std::vector<std::uint32_t> keyed = {0xFF336699, 0x00FF00FF, 0xFF336699};  // the key, whatever the fourth byte
    const std::vector<std::uint32_t> photo = {0xFF336699, 0xFFFE00FF, 0xFF102030};  // near it is not it
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const DisplayScale s(dpi);
        if (s.IsBase()) {
            EXPECT_EQ(ChoosePictureScaling(s, keyed.data(), keyed.size(), key), PictureScaling::Copy);
            EXPECT_EQ(ChoosePictureScaling(s, photo.data(), photo.size(), key), PictureScaling::Copy);
            continue;
        }
        EXPECT_EQ(ChoosePictureScaling(s, keyed.data(), keyed.size(), key), PictureScaling::Sharp);
        EXPECT_EQ(ChoosePictureScaling(s, photo.data(), photo.size(), key), PictureScaling::Smooth);
        // A page that names no colour of its own keys nothing.
        EXPECT_EQ(ChoosePictureScaling(s, keyed.data(), keyed.size(), std::nullopt), PictureScaling::Smooth);
        EXPECT_EQ(ChoosePictureScaling(s, nullptr, 0, key), PictureScaling::Smooth);
    }
}
