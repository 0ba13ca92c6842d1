// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "render/DiscText.h"
#include "render/PhaseDisc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace {
constexpr std::uint32_t Background = 0xFF000040u;

struct Counts
{
    int lit = 0;
    int dark = 0;
    int other = 0;
};

Counts count(const PhaseDisc::Picture &picture)
{
    Counts counts;
    for (std::uint32_t pixel : picture) {
        if (pixel == PhaseDisc::Lit)
            ++counts.lit;
        else if (pixel == PhaseDisc::Dark)
            ++counts.dark;
        else
            ++counts.other;
    }
    return counts;
}

std::uint32_t at(const PhaseDisc::Picture &picture, int x, int y)
{
    return picture[(y + PhaseDisc::Radius) * PhaseDisc::Side + x + PhaseDisc::Radius];
}

PhaseDisc::Picture rendered(int age)
{
    PhaseDisc::Picture picture;
    PhaseDisc::render(age, Background, picture);
    return picture;
}
} // namespace

TEST(PhaseDisc, LitPixelCountForEveryAge)
{
    const int expected[30] = {0,    87,   330,  733,  1284, 1956, 2694, 3496, 4329, 5131,
                              5860, 6541, 7092, 7495, 7738, 7825, 7738, 7495, 7092, 6541,
                              5869, 5131, 4329, 3496, 2694, 1965, 1284, 733,  330,  87};
    for (int age = 0; age < 30; ++age) {
        const Counts counts = count(rendered(age));
        EXPECT_EQ(counts.lit, expected[age]) << "age " << age;
        EXPECT_EQ(counts.lit + counts.dark, 7825) << "age " << age;
        EXPECT_EQ(counts.other, 101 * 101 - 7825) << "age " << age;
    }
}

TEST(PhaseDisc, TerminatorPixelsDependOnTheTurnConstant)
{
    // At these ages the ellipse runs exactly through pixel centres; the
    // slightly short full turn puts them inside at 5 and 20, outside at 10
    // and 25.
    EXPECT_EQ(at(rendered(5), 25, 0), PhaseDisc::Dark);
    EXPECT_EQ(at(rendered(20), 25, 0), PhaseDisc::Lit);
    EXPECT_EQ(at(rendered(10), -25, 0), PhaseDisc::Dark);
    EXPECT_EQ(at(rendered(25), -25, 0), PhaseDisc::Lit);
    for (int age : {5, 20}) {
        const double k = PhaseDisc::terminatorFactor(age);
        for (auto [x, y] : {std::pair{25, 0}, {24, 14}, {20, -30}, {15, 40}, {7, -48}})
            EXPECT_LT((k * x) * x + y * y, 2500.0) << "age " << age << " (" << x << ", " << y << ")";
    }
    for (int age : {10, 25}) {
        const double k = PhaseDisc::terminatorFactor(age);
        for (auto [x, y] : {std::pair{-25, 0}, {-24, 14}, {-20, -30}, {-15, 40}, {-7, -48}})
            EXPECT_GE((k * x) * x + y * y, 2500.0) << "age " << age << " (" << x << ", " << y << ")";
    }
}

TEST(PhaseDisc, CentreColumnAndSides)
{
    for (int age = 0; age < 30; ++age) {
        const PhaseDisc::Picture picture = rendered(age);
        const bool lit = age >= 8 && age <= 22;
        for (int y = -49; y <= 49; ++y)
            ASSERT_EQ(at(picture, 0, y), lit ? PhaseDisc::Lit : PhaseDisc::Dark)
                << "age " << age << " row " << y;
        // Crescents and gibbous discs are lit on the side of their quarter.
        if (age >= 1 && age <= 14) {
            EXPECT_EQ(at(picture, 49, 0), PhaseDisc::Lit) << age;
        }
        if (age >= 1 && age <= 7) {
            EXPECT_EQ(at(picture, -49, 0), PhaseDisc::Dark) << age;
        }
        if (age >= 16) {
            EXPECT_EQ(at(picture, 49, 0), PhaseDisc::Dark) << age;
        }
        if (age >= 15) {
            EXPECT_EQ(at(picture, -49, 0), PhaseDisc::Lit) << age;
        }
    }
}

TEST(PhaseDisc, OutsideTheDiscKeepsTheBackground)
{
    for (int age : {0, 7, 15, 22, 29}) {
        const PhaseDisc::Picture picture = rendered(age);
        for (auto [x, y] : {std::pair{50, 0}, {-50, 0}, {0, 50}, {0, -50}, {36, 36}, {-50, -50}})
            EXPECT_EQ(at(picture, x, y), Background) << "age " << age;
        for (int y = -50; y <= 50; ++y)
            for (int x = -50; x <= 50; ++x)
                if (x * x + y * y >= 2500) {
                    ASSERT_EQ(at(picture, x, y), Background);
                }
    }
}

TEST(PhaseDisc, CrescentsKeepToTheirSide)
{
    // Age 3 is lit only right of the centre, age 26 only left of it.
    const PhaseDisc::Picture waxing = rendered(3);
    const PhaseDisc::Picture waning = rendered(26);
    for (int y = -49; y <= 49; ++y) {
        for (int x = -49; x <= 0; ++x)
            ASSERT_NE(at(waxing, x, y), PhaseDisc::Lit);
        for (int x = 0; x <= 49; ++x)
            ASSERT_NE(at(waning, x, y), PhaseDisc::Lit);
    }
    // Inner edges at half-widths of about 40.5 and 33.5 on the middle row.
    EXPECT_EQ(at(waxing, 40, 0), PhaseDisc::Dark);
    EXPECT_EQ(at(waxing, 41, 0), PhaseDisc::Lit);
    EXPECT_EQ(at(waning, -33, 0), PhaseDisc::Dark);
    EXPECT_EQ(at(waning, -34, 0), PhaseDisc::Lit);
}

TEST(PhaseDisc, CachedPictureIsTheRenderedOne)
{
    for (int age = 0; age < 30; ++age)
        ASSERT_EQ(PhaseDisc::cached(age, Background), rendered(age)) << age;
    // Ages outside the month follow the first and last quarter's rules.
    EXPECT_EQ(PhaseDisc::cached(-1, Background), rendered(-1));
    EXPECT_EQ(count(rendered(-1)).lit + count(rendered(-1)).dark, 7825);
}

TEST(DiscText, EveryAgeIsToldByItsOwnText)
{
    // Shares worked out by hand from the lit counts above (7825 disc
    // pixels), halves up: 1956 is 24.997 % and 5869 is 75.003 %.
    const char *const expected[30] = {
        "新月 (明るい部分 0%)",          "右側が明るい月 (明るい部分 1%)",  "右側が明るい月 (明るい部分 4%)",
        "右側が明るい月 (明るい部分 9%)",  "右側が明るい月 (明るい部分 16%)", "右側が明るい月 (明るい部分 25%)",
        "右側が明るい月 (明るい部分 34%)", "右側が明るい月 (明るい部分 45%)", "右側が明るい月 (明るい部分 55%)",
        "右側が明るい月 (明るい部分 66%)", "右側が明るい月 (明るい部分 75%)", "右側が明るい月 (明るい部分 84%)",
        "右側が明るい月 (明るい部分 91%)", "右側が明るい月 (明るい部分 96%)", "右側が明るい月 (明るい部分 99%)",
        "満月 (明るい部分 100%)",         "左側が明るい月 (明るい部分 99%)", "左側が明るい月 (明るい部分 96%)",
        "左側が明るい月 (明るい部分 91%)", "左側が明るい月 (明るい部分 84%)", "左側が明るい月 (明るい部分 75%)",
        "左側が明るい月 (明るい部分 66%)", "左側が明るい月 (明るい部分 55%)", "左側が明るい月 (明るい部分 45%)",
        "左側が明るい月 (明るい部分 34%)", "左側が明るい月 (明るい部分 25%)", "左側が明るい月 (明るい部分 16%)",
        "左側が明るい月 (明るい部分 9%)",  "左側が明るい月 (明るい部分 4%)",  "左側が明るい月 (明るい部分 1%)"};
    std::set<std::string> seen;
    for (int age = 0; age < 30; ++age) {
        EXPECT_EQ(DiscText::describe(rendered(age)), expected[age]) << "age " << age;
        EXPECT_EQ(DiscText::cached(age, Background), expected[age]) << "age " << age;
        seen.insert(expected[age]);
    }
    EXPECT_EQ(seen.size(), 30u);
}

TEST(DiscText, ReadsThePictureNotTheAgeNorTheCorners)
{
    // The waxing half moon turned round is told as lit on the left.
    PhaseDisc::Picture mirrored = rendered(7);
    for (int y = 0; y < PhaseDisc::Side; ++y)
        std::reverse(mirrored.begin() + y * PhaseDisc::Side, mirrored.begin() + (y + 1) * PhaseDisc::Side);
    EXPECT_EQ(DiscText::describe(mirrored), "左側が明るい月 (明るい部分 45%)");

    // Corners in the lit or the dark colour are no part of the disc.
    for (const std::uint32_t corner : {PhaseDisc::Lit, PhaseDisc::Dark}) {
        PhaseDisc::Picture newMoon;
        PhaseDisc::render(0, corner, newMoon);
        EXPECT_EQ(DiscText::describe(newMoon), "新月 (明るい部分 0%)");
        PhaseDisc::Picture full;
        PhaseDisc::render(15, corner, full);
        EXPECT_EQ(DiscText::describe(full), "満月 (明るい部分 100%)");
    }

    // One lit pixel is no new Moon, though it rounds to 0 %.
    PhaseDisc::Picture speck = rendered(0);
    speck[PhaseDisc::Radius * PhaseDisc::Side + PhaseDisc::Radius - 10] = PhaseDisc::Lit;
    EXPECT_EQ(DiscText::describe(speck), "左側が明るい月 (明るい部分 0%)");
}
