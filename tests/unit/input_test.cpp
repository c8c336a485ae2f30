#include "common/input.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace ovn;

TEST(CtrlDAsTyped, ScanCodeWithoutStateBits) {
    EXPECT_TRUE(IsCtrlDAsTyped(kWmChar, 4, 0x00200001));
    EXPECT_TRUE(IsCtrlDAsTyped(kWmChar, 4, 0x00200000));  // any repeat count
    EXPECT_TRUE(IsCtrlDAsTyped(kWmChar, 4, 0x0020FFFF));
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, 0x40200001));  // auto-repeat
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, 0x01200001));  // extended key
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, 0x20200001));  // context bit (Alt)
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, 0x00210001));  // another scan code
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, -1));
    EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 5, 0x00200001));
    EXPECT_FALSE(IsCtrlDAsTyped(kWmKeyDown, 4, 0x00200001));
    if constexpr (sizeof(std::intptr_t) == 8) {
        // Only a posted message can carry bits above the 32 a key message has.
        const std::int64_t high = std::int64_t{1} << 40;
        EXPECT_FALSE(IsCtrlDAsTyped(kWmChar, 4, static_cast<std::intptr_t>(high | 0x00200001)));
    }
}
