#include "launcher/page_slots.h"

#include <gtest/gtest.h>

#include <limits>

#include <cstring>

using namespace ovn::launcher;

namespace {

// The bytes a page sends: UTF-16 text and its terminator.
std::vector<unsigned char> Utf16Bytes(const std::u16string& text, bool terminator = true) {
    std::vector<unsigned char> bytes((text.size() + (terminator ? 1 : 0)) * 2, 0);
    std::memcpy(bytes.data(), text.data(), text.size() * 2);
    return bytes;
}

}  // namespace

TEST(LabelFromCopyData, ReadsOnlyWithinTheByteCount) {
    auto ok = Utf16Bytes(u"12\u670d-\u9f99\u57ce-player");
    EXPECT_EQ(LabelFromCopyData(ok.data(), ok.size()), std::wstring(L"12\u670d-\u9f99\u57ce-player"));
    // One byte off the start of the buffer: the sender's data need not be aligned.
    std::vector<unsigned char> shifted(ok.size() + 1);
    std::memcpy(shifted.data() + 1, ok.data(), ok.size());
    EXPECT_EQ(LabelFromCopyData(shifted.data() + 1, ok.size()), std::wstring(L"12\u670d-\u9f99\u57ce-player"));

    auto noTerminator = Utf16Bytes(u"abc", false);
    EXPECT_EQ(LabelFromCopyData(noTerminator.data(), noTerminator.size()), std::nullopt);
    EXPECT_EQ(LabelFromCopyData(ok.data(), ok.size() - 1), std::nullopt);  // odd
    EXPECT_EQ(LabelFromCopyData(ok.data(), ok.size() - 2), std::nullopt);  // terminator cut off
    EXPECT_EQ(LabelFromCopyData(ok.data(), 0), std::nullopt);
    EXPECT_EQ(LabelFromCopyData(nullptr, 8), std::nullopt);
    EXPECT_EQ(LabelFromCopyData(ok.data(), 1), std::nullopt);

    // The text ends at the first zero even when more bytes follow.
    auto embedded = Utf16Bytes(std::u16string(u"ab\0cd", 5));
    EXPECT_EQ(LabelFromCopyData(embedded.data(), embedded.size()), std::wstring(L"ab"));
    auto empty = Utf16Bytes(u"");
    EXPECT_EQ(LabelFromCopyData(empty.data(), empty.size()), std::wstring());

    auto longest = Utf16Bytes(std::u16string(kMaxLabelChars, u'x'));
    EXPECT_EQ(LabelFromCopyData(longest.data(), longest.size())->size(), kMaxLabelChars);
    auto tooLong = Utf16Bytes(std::u16string(kMaxLabelChars + 1, u'x'));
    EXPECT_EQ(LabelFromCopyData(tooLong.data(), tooLong.size()), std::nullopt);
    // A huge count is refused before anything is read (the buffer is far shorter).
    EXPECT_EQ(LabelFromCopyData(ok.data(), std::numeric_limits<std::size_t>::max()), std::nullopt);
}

TEST(PageSlots, ClaimIsExactAndCaseSensitive) {
    PageSlots slots;
    EXPECT_TRUE(slots.ClaimLabel(L"1\u670d-A-player"));
    EXPECT_TRUE(slots.ClaimLabel(L"1\u670d-A-Player"));
    EXPECT_FALSE(slots.ClaimLabel(L"1\u670d-A-player"));
    EXPECT_TRUE(slots.ClaimLabel(L"2\u670d-A-player"));
    EXPECT_EQ(slots.Labels().size(), 3u);
    EXPECT_TRUE(slots.Empty());  // labels alone make no tabs
}

TEST(PageSlots, AdoptionMakesTheNewPageCurrent) {
    PageSlots slots;
    slots.ClaimLabel(L"a");
    auto first = slots.Adopt(101, false);
    EXPECT_TRUE(first.adopted);
    EXPECT_TRUE(first.firstArrival);
    slots.ClaimLabel(L"b");
    auto second = slots.Adopt(202, false);
    EXPECT_FALSE(second.firstArrival);
    EXPECT_EQ(slots.Pages(), (std::vector<WindowId>{101, 202}));
    EXPECT_EQ(slots.Selected(), 1u);
    EXPECT_EQ(slots.Current(), 202u);
    EXPECT_EQ(slots.LabelOf(1), L"b");

    // The hall is never a tab and does not move the current tab.
    EXPECT_TRUE(slots.Adopt(900, true).adopted);
    EXPECT_EQ(slots.Hall(), 900u);
    EXPECT_EQ(slots.PageCount(), 2u);
    EXPECT_EQ(slots.Selected(), 1u);

    // A window that is already held, or none, is not adopted twice.
    EXPECT_FALSE(slots.Adopt(101, false).adopted);
    EXPECT_FALSE(slots.Adopt(900, false).adopted);
    EXPECT_FALSE(slots.Adopt(0, false).adopted);
    EXPECT_EQ(slots.PageCount(), 2u);
}

TEST(PageSlots, FirstArrivalHappensOnce) {
    PageSlots slots;
    // The hall may come first (a page whose game turned out to be the hall).
    EXPECT_TRUE(slots.Adopt(900, true).firstArrival);
    slots.ClaimLabel(L"a");
    EXPECT_FALSE(slots.Adopt(101, false).firstArrival);
}

TEST(PageSlots, LabelsStayInStepWithPages) {
    PageSlots slots;
    slots.Adopt(101, false);  // arrived without claiming
    EXPECT_EQ(slots.Labels().size(), 1u);
    EXPECT_EQ(slots.LabelOf(0), L"");
    EXPECT_EQ(slots.LabelOf(7), L"");

    // A claim whose window never arrives is forgotten once that request is over.
    EXPECT_TRUE(slots.ClaimLabel(L"ghost"));
    slots.DropUnadoptedLabels();
    EXPECT_EQ(slots.Labels().size(), 1u);
    EXPECT_TRUE(slots.ClaimLabel(L"ghost"));
    slots.Adopt(202, false);
    EXPECT_EQ(slots.LabelOf(1), L"ghost");
    slots.DropUnadoptedLabels();  // nothing unadopted: nothing lost
    EXPECT_EQ(slots.Labels().size(), 2u);
}

TEST(PageSlots, ClosingPicksTheTabAtTheSameIndex) {
    auto twoPages = [] {
        PageSlots slots;
        slots.ClaimLabel(L"a");
        slots.Adopt(101, false);
        slots.ClaimLabel(L"b");
        slots.Adopt(202, false);
        return slots;
    };
    PageSlots closeSecond = twoPages();
    EXPECT_EQ(closeSecond.Close(1), std::optional<WindowId>(202));
    EXPECT_EQ(closeSecond.Selected(), 0u);
    EXPECT_EQ(closeSecond.Current(), 101u);
    EXPECT_EQ(closeSecond.Labels(), std::vector<std::wstring>{L"a"});

    PageSlots closeFirst = twoPages();
    closeFirst.Select(1);
    EXPECT_EQ(closeFirst.Close(0), std::optional<WindowId>(101));
    EXPECT_EQ(closeFirst.Selected(), 0u);
    EXPECT_EQ(closeFirst.Current(), 202u);
    EXPECT_EQ(closeFirst.Labels(), std::vector<std::wstring>{L"b"});
    // The label is free again once its tab is closed.
    EXPECT_TRUE(closeFirst.ClaimLabel(L"a"));

    PageSlots three = twoPages();
    three.ClaimLabel(L"c");
    three.Adopt(303, false);
    three.Select(2);
    EXPECT_EQ(three.Close(1), std::optional<WindowId>(202));
    EXPECT_EQ(three.Selected(), 1u);  // the same index: the former third tab
    EXPECT_EQ(three.Current(), 303u);

    EXPECT_EQ(three.Close(5), std::nullopt);
    EXPECT_EQ(three.PageCount(), 2u);
    three.Close(0);
    three.Close(0);
    EXPECT_TRUE(three.Empty());
    EXPECT_EQ(three.Current(), 0u);
}

TEST(PageSlots, SwitchingWrapsAndTheLimitCountsAdoptedPages) {
    PageSlots slots;
    slots.SelectNext();  // no pages: nothing to do
    EXPECT_EQ(slots.Selected(), 0u);
    for (WindowId w : {101, 202, 303}) {
        EXPECT_TRUE(slots.CanRequestPage());
        slots.ClaimLabel(std::to_wstring(w));
        slots.Adopt(w, false);
    }
    EXPECT_FALSE(slots.CanRequestPage());
    EXPECT_EQ(slots.Selected(), 2u);
    slots.SelectNext();
    EXPECT_EQ(slots.Selected(), 0u);
    slots.SelectNext();
    EXPECT_EQ(slots.Current(), 202u);
    EXPECT_FALSE(slots.Select(3));
    EXPECT_EQ(slots.Selected(), 1u);

    auto all = slots.TakeAllPages();
    EXPECT_EQ(all, (std::vector<WindowId>{101, 202, 303}));
    EXPECT_TRUE(slots.Empty());
    EXPECT_TRUE(slots.CanRequestPage());
}
