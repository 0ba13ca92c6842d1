// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "record/BestTimeFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace {
using Int = std::optional<std::int32_t>;
}

// Where a number ends and what spoils it. Whole files, hostile ones
// included, are tried through the window in HostileRecordTest.
TEST(BestTimeFormat, WhatCountsAsTheNumber)
{
    const struct
    {
        std::string text;
        Int expected;
    } cases[] = {
        {"123\r\n456\r\n", 123},
        {"\t42", 42},
        {"42", 42},
        {"42\n", 42},
        {"42 junk", 42},
        {"42,13", 42},
        {"0005\r\n", 5},
        {std::string(40, '0') + "7", 7},
        {"+", std::nullopt},
        {"- 5", std::nullopt},
        {std::string("1\0" "2", 3), std::nullopt},
        {std::string(40, '9'), std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(BestTimeFormat::parse(c.text), c.expected) << '"' << c.text << '"';
}

TEST(BestTimeFormat, DigitsRunningToTheEndOfAPrefixAreNoNumber)
{
    EXPECT_EQ(BestTimeFormat::parse("1234", false), std::nullopt);
    EXPECT_EQ(BestTimeFormat::parse("1234\r", false), 1234);
}

TEST(BestTimeFormat, LineIsDigitsAndCrLf)
{
    EXPECT_EQ(BestTimeFormat::line(999), "999\r\n");
    EXPECT_EQ(BestTimeFormat::line(0), "0\r\n");
    EXPECT_EQ(BestTimeFormat::line(-5), "-5\r\n");
    EXPECT_EQ(BestTimeFormat::line(std::numeric_limits<std::int32_t>::min()), "-2147483648\r\n");
}

TEST(BestTimeFormat, EveryLineReadsBack)
{
    for (std::int64_t v = std::numeric_limits<std::int32_t>::min();
         v <= std::numeric_limits<std::int32_t>::max(); v += 104729 * 97) {
        const auto value = static_cast<std::int32_t>(v);
        ASSERT_EQ(BestTimeFormat::parse(BestTimeFormat::line(value)), value);
    }
    for (std::int32_t v : {std::numeric_limits<std::int32_t>::min(), -1, 0, 1, 998, 999,
                           std::numeric_limits<std::int32_t>::max()})
        EXPECT_EQ(BestTimeFormat::parse(BestTimeFormat::line(v)), v);
}
