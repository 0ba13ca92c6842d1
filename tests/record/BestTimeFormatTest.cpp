#include "record/BestTimeFormat.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

namespace {
using Int = std::optional<std::int32_t>;
}

// What an edited or damaged file may hold, and what the game makes of it.
TEST(BestTimeFormat, HostileTexts)
{
    const struct
    {
        std::string text;
        Int expected;
    } cases[] = {
        {"", std::nullopt},
        {"\r\n", std::nullopt},
        {"1234\r\n", 1234},
        {"123\r\n456\r\n", 123},
        {"0\r\n", 0},
        {"   42\r\n", 42},
        {"\t42", 42},
        {"+7\r\n", 7},
        {"-5\r\n", -5},
        {"42", 42},
        {"42\n", 42},
        {"42 junk", 42},
        {"42,13", 42},
        {"0005\r\n", 5},
        {"42abc", std::nullopt},
        {"0x10", std::nullopt},
        {"1e3", std::nullopt},
        {"12.5", std::nullopt},
        {"\"12\"", std::nullopt},
        {"+", std::nullopt},
        {"- 5", std::nullopt},
        {"\xEF\xBB\xBF" "12\r\n", std::nullopt},
        {std::string("\xFF\xFE" "1\0" "2\0", 6), std::nullopt},
        {std::string("1\0" "2", 3), std::nullopt},
        {"2147483647\r\n", 2147483647},
        {"2147483648\r\n", std::nullopt},
        {"-2147483648\r\n", std::numeric_limits<std::int32_t>::min()},
        {"-2147483649\r\n", std::nullopt},
        {"99999999999\r\n", std::nullopt},
        {std::string(40, '9'), std::nullopt},
        {std::string(40, '0') + "7", 7},
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
