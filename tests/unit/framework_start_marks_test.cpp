#include <gtest/gtest.h>

#include <memory>

#include "framework/start_mark_block.h"

using fw::ReadStartMarks;
using fw::StartMark;
using fw::StartMarkBlock;

namespace {

std::unique_ptr<StartMarkBlock> EmptyBlock() {
    auto block = std::make_unique<StartMarkBlock>();
    *block = StartMarkBlock{};
    block->magic = StartMarkBlock::kMagic;
    return block;
}

void Put(StartMarkBlock& b, std::uint32_t pid, StartMark mark, std::int64_t ticks) {
    const int slot = fw::StartMarkSlot(b.used + 1);
    b.used = b.used + 1;
    if (slot >= 0)
        b.entries[slot] = {pid, static_cast<std::int32_t>(mark), ticks};
}

int At(StartMark m) { return static_cast<int>(m); }

}  // namespace

TEST(StartMarks, SlotsStopAtTheTablesEnd) {
    EXPECT_EQ(fw::StartMarkSlot(1), 0);
    EXPECT_EQ(fw::StartMarkSlot(StartMarkBlock::kCapacity), StartMarkBlock::kCapacity - 1);
    EXPECT_EQ(fw::StartMarkSlot(StartMarkBlock::kCapacity + 1), -1);
    EXPECT_EQ(fw::StartMarkSlot(0), -1);
    EXPECT_EQ(fw::StartMarkSlot(-5), -1);
}

TEST(StartMarks, GroupedByProcessInOrderOfAppearanceEarliestWins) {
    auto b = EmptyBlock();
    Put(*b, 20, StartMark::ProcessStart, 100);
    Put(*b, 31, StartMark::ProcessStart, 500);
    Put(*b, 20, StartMark::PageProcessStart, 450);
    Put(*b, 31, StartMark::LoginPainted, 900);
    Put(*b, 31, StartMark::LoginPainted, 800);  // recorded twice: the earlier counts
    const auto marks = ReadStartMarks(*b);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].pid, 20u);
    EXPECT_EQ(marks[1].pid, 31u);
    EXPECT_TRUE(marks[0].seen[At(StartMark::PageProcessStart)]);
    EXPECT_EQ(marks[0].ticks[At(StartMark::PageProcessStart)], 450);
    EXPECT_FALSE(marks[0].seen[At(StartMark::LoginPainted)]);
    EXPECT_EQ(marks[1].ticks[At(StartMark::LoginPainted)], 800);
}

TEST(StartMarks, AHostileBlockIsReadWithinItsBounds) {
    auto b = EmptyBlock();
    Put(*b, 7, StartMark::AppStart, 1);
    b->entries[1] = {7, 99, 2};  // no such mark
    b->entries[2] = {7, -1, 3};
    b->entries[3] = {0, 0, 4};   // no process
    b->used = 0x7FFFFFFF;        // past the table: only the table is read
    const auto marks = ReadStartMarks(*b);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_TRUE(marks[0].seen[At(StartMark::AppStart)]);
    EXPECT_FALSE(marks[0].seen[At(StartMark::ProcessStart)]);

    b->used = -3;
    EXPECT_TRUE(ReadStartMarks(*b).empty());
    b->used = 1;
    b->magic = 0;  // not a block of ours
    EXPECT_TRUE(ReadStartMarks(*b).empty());
}

TEST(StartMarks, EveryMarkHasAName) {
    for (int m = 0; m < At(StartMark::Count); ++m)
        EXPECT_STRNE(fw::StartMarkName(static_cast<StartMark>(m)), "?") << m;
}
