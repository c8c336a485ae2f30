#include "downloads/notice_rules.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ovn::downloads;

namespace {

// One character outside the basic plane as UTF-16 holds it (whatever the size
// of wchar_t here).
const std::wstring kSurrogatePair = {wchar_t(0xD83D), wchar_t(0xDE00)};

}  // namespace

TEST(SplitNotice, SevenFieldsAndEveryMissingBar) {
    auto f = SplitNotice(L"7|2026-12-31|Title|http://q/x|Hello|http://q/p.jpg|2");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->id, L"7");
    EXPECT_EQ(f->lastDay, L"2026-12-31");
    EXPECT_EQ(f->title, L"Title");
    EXPECT_EQ(f->link, L"http://q/x");
    EXPECT_EQ(f->text, L"Hello");
    EXPECT_EQ(f->picture, L"http://q/p.jpg");
    EXPECT_EQ(f->showings, 2);
    // Each of the six bars taken away in turn: no notice.
    const std::wstring whole = L"a|b|c|d|e|f|3";
    for (std::size_t at = whole.find(L'|'); at != std::wstring::npos; at = whole.find(L'|', at + 1)) {
        std::wstring cut = whole;
        cut.erase(at, 1);
        EXPECT_FALSE(SplitNotice(cut)) << "without the bar at " << at;
    }
    // Empty fields are fields; the last one runs to the end, its digits counted.
    f = SplitNotice(L"||||||");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->showings, 0);
    EXPECT_EQ(SplitNotice(L"a|b|c|d|e|f|12x|5")->showings, 12);
    EXPECT_EQ(SplitNotice(L"a|b|c|d|e|f|-3")->showings, 0);
    EXPECT_EQ(SplitNotice(L"a|b|c|d|e|f|99999999999999999999")->showings, 100);
}

TEST(SplitNotice, FieldsAreCutAtTheirBuffersOnWholeCharacters) {
    const std::size_t limits[] = {kNoticeIdMax, kNoticeDayMax, kNoticeTitleMax,
                                  kNoticeUrlMax, kNoticeUrlMax, kNoticeUrlMax};
    for (std::size_t i = 0; i < 6; ++i) {
        for (std::size_t extra : {0u, 1u, 600u}) {
            std::vector<std::wstring> parts(6, L"x");
            parts[i] = std::wstring(limits[i] + extra, L'y');
            std::wstring line;
            for (const auto& p : parts)
                line += p + L"|";
            line += L"1";
            auto f = SplitNotice(line);
            ASSERT_TRUE(f);
            const std::wstring* got[] = {&f->id, &f->lastDay, &f->title, &f->link, &f->text, &f->picture};
            EXPECT_EQ(got[i]->size(), limits[i]) << "field " << i + 1 << " with " << extra << " more";
            // The fields after it are still where they belong.
            EXPECT_EQ(f->showings, 1);
        }
    }
    // A pair of surrogates straddling the limit is dropped whole, not halved.
    std::wstring title(kNoticeTitleMax - 1, L't');
    title += kSurrogatePair;
    auto f = SplitNotice(L"i|d|" + title + L"|l|x|p|1");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->title, std::wstring(kNoticeTitleMax - 1, L't'));
}

TEST(NoticeLine, EndsAtTheFirstLineBreakOrNul) {
    EXPECT_EQ(NoticeLine(L"a|b|c|d|e|f|2\r\n[Ovn]\r\nShortKey=0,65"), L"a|b|c|d|e|f|2");
    EXPECT_EQ(NoticeLine(std::wstring_view(L"a|b\0|c", 6)), L"a|b");
    EXPECT_EQ(NoticeLine(L"one\ntwo"), L"one");
}

TEST(CompareDates, OrdersYearsMonthsAndDays) {
    EXPECT_EQ(CompareDates(L"2026-12-07", L"2026-12-07"), 0);
    EXPECT_LT(CompareDates(L"2026-12-08", L"2026-12-07"), 0);  // last day tomorrow: still shown
    EXPECT_GT(CompareDates(L"2026-12-06", L"2026-12-07"), 0);  // yesterday: passed
    EXPECT_GT(CompareDates(L"2025-12-31", L"2026-01-01"), 0);
    EXPECT_LT(CompareDates(L"2027-01-01", L"2026-12-31"), 0);
    EXPECT_GT(CompareDates(L"2026-11-30", L"2026-12-01"), 0);
    EXPECT_LT(CompareDates(L"2026-2-1", L"2026-01-31"), 0);  // numbers, not text
    // Anything after a blank is not part of the date.
    EXPECT_EQ(CompareDates(L"2026-12-07 23:59 last call", L"2026-12-07"), 0);
}

TEST(CompareDates, ALastDayThatIsNoDateHasPassed) {
    for (const wchar_t* bad : {L"", L"20261207", L"2026-12", L"2026--07", L"-12-07", L"2026-12-", L"2026-1x-07",
                               L"year-12-07", L"2026-12-07x", L"12345678-1-1", L"1-12345678-1",
                               L"0002026-0000012-7", L"2026-12-07-01"}) {
        EXPECT_GT(CompareDates(bad, L"2026-12-07"), 0) << "last day \"" << static_cast<const void*>(bad) << "\"";
    }
    // Seven digits a part are still read.
    EXPECT_LT(CompareDates(L"0002027-12-07", L"2026-12-07"), 0);
}

TEST(FormatDay, PadsLikeTheNoticeWritesIt) { EXPECT_EQ(FormatDay(2026, 3, 9), L"2026-03-09"); }

TEST(ShouldShowNotice, NewStoredAndDismissed) {
    const std::wstring line = L"1|2026-12-31|T|http://q/|Hello||2";
    EXPECT_FALSE(ShouldShowNotice(L"", L"", L""));
    EXPECT_TRUE(ShouldShowNotice(line, L"", L"0"));            // nothing stored: new
    EXPECT_TRUE(ShouldShowNotice(line, L"2|other", L"0"));     // another stored: new
    EXPECT_FALSE(ShouldShowNotice(line, line, L"0"));          // this one, closed or clicked
    EXPECT_TRUE(ShouldShowNotice(line, line, L"1"));           // this one, only seen
    EXPECT_TRUE(ShouldShowNotice(line, line, L""));
    EXPECT_TRUE(ShouldShowNotice(line, line, L"00"));          // only exactly "0" says no
    // A text that contains the stored one counts as the same notice.
    EXPECT_FALSE(ShouldShowNotice(line + L" more", line, L"0"));
    EXPECT_FALSE(ShouldShowNotice(line, L"Hello", L"0"));
}

TEST(LayoutNotice, TheThreeForms) {
    NoticeFields f;
    f.picture = L"http://q/p.jpg";
    f.text = L"t";
    EXPECT_EQ(ChooseNoticeForm(f), NoticeForm::PictureAndText);
    f.text.clear();
    EXPECT_EQ(ChooseNoticeForm(f), NoticeForm::PictureOnly);
    f.picture.clear();
    EXPECT_EQ(ChooseNoticeForm(f), NoticeForm::TextOnly);
    f.text = L"t";
    EXPECT_EQ(ChooseNoticeForm(f), NoticeForm::TextOnly);

    NoticeLayout both = LayoutNotice(NoticeForm::PictureAndText, 250, 191);
    EXPECT_EQ(both.borderWidth, 3);
    EXPECT_EQ(both.buttonTop, 3);
    EXPECT_EQ(both.buttonRightMargin, 3);
    EXPECT_FALSE(both.layered);
    EXPECT_TRUE(both.pictureInPictureLabel);
    EXPECT_EQ(both.picture, (NoticeBox{15, 67, 75, 80}));
    EXPECT_EQ(both.title, (NoticeBox{100, 48, 130, 15}));
    EXPECT_EQ(both.text, (NoticeBox{100, 68, 134, 13}));
    EXPECT_EQ(both.link, (NoticeBox{195, 168, 42, 13}));

    NoticeLayout picture = LayoutNotice(NoticeForm::PictureOnly, 160, 212);
    EXPECT_EQ(picture.borderWidth, 0);
    EXPECT_EQ(picture.buttonTop, 1);
    EXPECT_TRUE(picture.layered);
    EXPECT_TRUE(picture.pictureInTextLabel);
    EXPECT_EQ(picture.text, (NoticeBox{-3, 22, 163, 190}));
    EXPECT_FALSE(picture.picture || picture.title || picture.link);

    NoticeLayout text = LayoutNotice(NoticeForm::TextOnly, 250, 167);
    EXPECT_EQ(text.borderWidth, 3);
    EXPECT_FALSE(text.layered);
    EXPECT_FALSE(text.picture);
    EXPECT_EQ(text.title, (NoticeBox{0, 45, 250, 15}));
    EXPECT_EQ(text.text, (NoticeBox{18, 65, 216, 13}));
    EXPECT_EQ(text.link, (NoticeBox{195, 145, 42, 13}));
}

TEST(NoticeLabelText, CutAndDotsAlways) {
    EXPECT_EQ(NoticeLabelText(L"Hello", NoticeForm::TextOnly), L"Hello...");
    EXPECT_EQ(NoticeLabelText(L"", NoticeForm::TextOnly), L"...");
    EXPECT_EQ(NoticeLabelText(std::wstring(71, L'a'), NoticeForm::TextOnly), std::wstring(71, L'a') + L"...");
    EXPECT_EQ(NoticeLabelText(std::wstring(80, L'a'), NoticeForm::TextOnly), std::wstring(71, L'a') + L"...");
    EXPECT_EQ(NoticeLabelText(std::wstring(80, L'a'), NoticeForm::PictureAndText), std::wstring(54, L'a') + L"...");
    std::wstring pair = std::wstring(53, L'a') + kSurrogatePair;
    EXPECT_EQ(NoticeLabelText(pair, NoticeForm::PictureAndText), std::wstring(53, L'a') + L"...");
}

TEST(IsNoticeLinkOpenable, WebPagesOnly) {
    EXPECT_TRUE(IsNoticeLinkOpenable(L"http://q.example/news"));
    EXPECT_TRUE(IsNoticeLinkOpenable(L"HTTPS://q.example/"));
    for (const wchar_t* bad : {L"file:///C:/Windows/system32/calc.exe", L"cmd", L"cmd.exe /c del x",
                               L"C:\\Windows\\notepad.exe", L"\\\\server\\share\\x.exe", L"javascript:alert(1)",
                               L"http://", L"http://q/\" --x", L"mailto:a@b"})
        EXPECT_FALSE(IsNoticeLinkOpenable(bad)) << static_cast<const void*>(bad);
}

namespace {

std::vector<std::uint8_t> PngHead(std::uint32_t w, std::uint32_t h) {
    std::vector<std::uint8_t> b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {w, h})
        for (int s = 24; s >= 0; s -= 8)
            b.push_back(static_cast<std::uint8_t>(v >> s));
    b.insert(b.end(), {8, 2, 0, 0, 0});
    return b;
}

std::vector<std::uint8_t> JpegHead(int w, int h, std::size_t appBytes) {
    std::vector<std::uint8_t> b = {0xFF, 0xD8};
    // An APP1 segment of appBytes payload, then the frame header.
    b.insert(b.end(), {0xFF, 0xE1, static_cast<std::uint8_t>((appBytes + 2) >> 8),
                       static_cast<std::uint8_t>(appBytes + 2)});
    b.insert(b.end(), appBytes, 0);
    b.insert(b.end(), {0xFF, 0xC0, 0, 17, 8, static_cast<std::uint8_t>(h >> 8), static_cast<std::uint8_t>(h),
                       static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(w), 3});
    b.insert(b.end(), 9, 0);
    return b;
}

}  // namespace

TEST(NoticePicture, OnlyJpegOrPngThatTheLabelCouldShow) {
    auto jpeg = PictureDimensions(JpegHead(75, 80, 300));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->width, 75);
    EXPECT_EQ(jpeg->height, 80);
    EXPECT_TRUE(IsNoticePictureAcceptable(JpegHead(75, 80, 300)));
    EXPECT_TRUE(IsNoticePictureAcceptable(PngHead(4096, 4096)));
    EXPECT_FALSE(IsNoticePictureAcceptable(PngHead(4097, 10)));
    EXPECT_FALSE(IsNoticePictureAcceptable(JpegHead(10, 5000, 0)));
    EXPECT_FALSE(IsNoticePictureAcceptable(PngHead(0, 10)));
    // Other formats, cut headers and a frame header past the end.
    const std::vector<std::uint8_t> bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(IsNoticePictureAcceptable(bmp));
    std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 10, 0, 10, 0};
    EXPECT_FALSE(IsNoticePictureAcceptable(gif));
    auto cut = JpegHead(75, 80, 300);
    cut.resize(310);
    EXPECT_FALSE(IsNoticePictureAcceptable(cut));
    auto png = PngHead(10, 10);
    png.resize(20);
    EXPECT_FALSE(IsNoticePictureAcceptable(png));
    // Too many bytes, whatever they say.
    auto huge = PngHead(10, 10);
    huge.resize(kNoticePictureMaxBytes + 1);
    EXPECT_FALSE(IsNoticePictureAcceptable(huge));
}
