// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "record/TimeText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

TEST(TimeText, TenthsReadAsSeconds)
{
    EXPECT_EQ(TimeText::format(1234), "123.4秒");
    EXPECT_EQ(TimeText::format(600), "60.0秒");
    EXPECT_EQ(TimeText::format(7), "0.7秒");
    EXPECT_EQ(TimeText::format(0), "0.0秒");
    EXPECT_EQ(TimeText::format(10), "1.0秒");
    EXPECT_EQ(TimeText::format(2147483647), "214748364.7秒");
}

TEST(TimeText, NegativeTimesKeepTheirSignInFront)
{
    EXPECT_EQ(TimeText::format(-5), "-0.5秒");
    EXPECT_EQ(TimeText::format(-1234), "-123.4秒");
    EXPECT_EQ(TimeText::format(std::numeric_limits<std::int32_t>::min()), "-214748364.8秒");
}

TEST(TimeText, HighScorePrompt)
{
    EXPECT_EQ(TimeText::bestTimePrompt(999), "クリアまでの最短時間 99.9秒");
    EXPECT_EQ(TimeText::bestTimePrompt(1234), "クリアまでの最短時間 123.4秒");
    EXPECT_EQ(TimeText::bestTimePrompt(5), "クリアまでの最短時間 0.5秒");
}
