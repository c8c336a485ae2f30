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
    // Odd with the terminator whole: still half a character the sender never meant.
    auto oneByteMore = ok;
    oneByteMore.push_back(0);
    EXPECT_EQ(LabelFromCopyData(oneByteMore.data(), oneByteMore.size()), std::nullopt);
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

TEST(PageSlots, ClaimIsExactCaseSensitiveAndBoundedByThePages) {
    PageSlots fresh;
    // One request pending: its page may claim one label.
    EXPECT_TRUE(fresh.ClaimLabel(L"1\u670d-A-player", true));
    EXPECT_FALSE(fresh.ClaimLabel(L"1\u670d-A-Player", true));  // the pending page has its label
    fresh.Adopt(101, false);
    EXPECT_FALSE(fresh.ClaimLabel(L"1\u670d-A-player", true));  // duplicate
    EXPECT_TRUE(fresh.ClaimLabel(L"1\u670d-A-Player", true));   // case matters
    fresh.Adopt(202, false);
    EXPECT_EQ(fresh.Labels().size(), 2u);

    // Nobody pending: no claim is taken, however many arrive.
    PageSlots idle;
    for (int i = 0; i < 1000; ++i)
        EXPECT_FALSE(idle.ClaimLabel(L"flood" + std::to_wstring(i), false));
    EXPECT_TRUE(idle.Labels().empty());
    EXPECT_TRUE(idle.Empty());  // labels alone never make tabs
}

TEST(Adoption, OnlyOurOwnChildrenInTheRoleTheyWereStartedFor) {
    AdoptionOffer page{Offerer::PendingPage, false, true, false, 0};
    EXPECT_EQ(DecideAdoption(page), Admission::AdoptPage);

    // Strangers, and windows that are not inside the launcher, are left alone.
    auto stranger = page;
    stranger.who = Offerer::Stranger;
    EXPECT_EQ(DecideAdoption(stranger), Admission::Refuse);
    stranger.asHall = true;
    EXPECT_EQ(DecideAdoption(stranger), Admission::Refuse);
    auto outside = page;
    outside.insideUs = false;
    EXPECT_EQ(DecideAdoption(outside), Admission::Refuse);

    // Never a fourth page; our own extra window is told to close.
    auto fourth = page;
    fourth.pages = 3;
    EXPECT_EQ(DecideAdoption(fourth), Admission::CloseIt);

    // A page whose game is the hall becomes the hall, unless one is held.
    auto pageAsHall = page;
    pageAsHall.asHall = true;
    EXPECT_EQ(DecideAdoption(pageAsHall), Admission::AdoptHall);
    pageAsHall.hallHeld = true;
    EXPECT_EQ(DecideAdoption(pageAsHall), Admission::CloseIt);

    // The hall process is only ever the hall.
    AdoptionOffer hall{Offerer::HallProcess, true, true, false, 2};
    EXPECT_EQ(DecideAdoption(hall), Admission::AdoptHall);
    hall.asHall = false;
    EXPECT_EQ(DecideAdoption(hall), Admission::CloseIt);
}

TEST(Adoption, OnePageRequestAtATimeAndNeverAFourth) {
    EXPECT_EQ(DecidePageRequest(0, false), PageRequest::Start);
    EXPECT_EQ(DecidePageRequest(2, false), PageRequest::Start);
    EXPECT_EQ(DecidePageRequest(1, true), PageRequest::Busy);
    EXPECT_EQ(DecidePageRequest(3, false), PageRequest::Full);
    EXPECT_EQ(DecidePageRequest(3, true), PageRequest::Full);
}

TEST(PageSlots, TheLaunchersOwnRecordOfWhatIsShown) {
    PageSlots slots;
    // The first arrival is the hall: with no page, the hall is what is shown.
    slots.Adopt(900, true);
    EXPECT_TRUE(slots.HallShown());
    // A page arriving takes the screen from the hall.
    slots.Adopt(101, false);
    EXPECT_FALSE(slots.HallShown());
    // A new hall arriving while pages are shown does not take over...
    slots.ForgetHall();
    slots.Adopt(901, true);
    EXPECT_FALSE(slots.HallShown());
    // ...unless the player asked for it before it arrived.
    slots.ForgetHall();
    slots.SetHallShown(true);
    slots.Adopt(902, true);
    EXPECT_TRUE(slots.HallShown());
}

TEST(PageSlots, AdoptionMakesTheNewPageCurrent) {
    PageSlots slots;
    slots.ClaimLabel(L"a", true);
    auto first = slots.Adopt(101, false);
    EXPECT_TRUE(first.adopted);
    EXPECT_TRUE(first.firstArrival);
    slots.ClaimLabel(L"b", true);
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
    slots.ClaimLabel(L"a", true);
    EXPECT_FALSE(slots.Adopt(101, false).firstArrival);
}

TEST(PageSlots, LabelsStayInStepWithPages) {
    PageSlots slots;
    slots.Adopt(101, false);  // arrived without claiming
    EXPECT_EQ(slots.Labels().size(), 1u);
    EXPECT_EQ(slots.LabelOf(0), L"");
    EXPECT_EQ(slots.LabelOf(7), L"");

    // A claim whose window never arrives is forgotten once that request is over.
    EXPECT_TRUE(slots.ClaimLabel(L"ghost", true));
    slots.DropUnadoptedLabels();
    EXPECT_EQ(slots.Labels().size(), 1u);
    EXPECT_TRUE(slots.ClaimLabel(L"ghost", true));
    slots.Adopt(202, false);
    EXPECT_EQ(slots.LabelOf(1), L"ghost");
    slots.DropUnadoptedLabels();  // nothing unadopted: nothing lost
    EXPECT_EQ(slots.Labels().size(), 2u);
}

TEST(PageSlots, ClosingPicksTheTabAtTheSameIndex) {
    auto twoPages = [] {
        PageSlots slots;
        slots.ClaimLabel(L"a", true);
        slots.Adopt(101, false);
        slots.ClaimLabel(L"b", true);
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
    EXPECT_TRUE(closeFirst.ClaimLabel(L"a", true));

    PageSlots three = twoPages();
    three.ClaimLabel(L"c", true);
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

TEST(PageSlots, SwitchingWraps) {
    PageSlots slots;
    slots.SelectNext();  // no pages: nothing to do
    EXPECT_EQ(slots.Selected(), 0u);
    for (WindowId w : {101, 202, 303}) {
        slots.ClaimLabel(std::to_wstring(w), true);
        slots.Adopt(w, false);
    }
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
}
