// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "board/StageLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <random>
#include <set>
#include <vector>

namespace {
const BoardRect &Board = GameBoard;

// A scripted random source that also counts what it hands out.
struct Script
{
    std::deque<double> numbers;
    int taken = 0;
    StageLayout::Random source()
    {
        return [this] {
            EXPECT_FALSE(numbers.empty()) << "the layout drew more numbers than scripted";
            if (numbers.empty())
                return 0.0;
            ++taken;
            const double n = numbers.front();
            numbers.pop_front();
            return n;
        };
    }
};

std::vector<int> captions(int stage, int age, const StageLayout::Random &random)
{
    const StageLayout layout = *StageLayout::forStage(stage);
    std::vector<int> result;
    for (int i = 0; i < layout.count(); ++i)
        result.push_back(layout.caption(i, age, random));
    return result;
}
} // namespace

TEST(StageLayout, SizesAndPositionsOfEveryStage)
{
    struct Expected
    {
        int count;
        float width, height;
        std::vector<float> lefts, tops;
    };
    const Expected table[6] = {
        {2, 90, 90, {10, 100}, {260}},
        {3, 60, 90, {10, 70, 130}, {260}},
        {6, 60, 90, {10, 70, 130}, {260, 350}},
        {10, 36, 90, {10, 46, 82, 118, 154}, {260, 350}},
        {15, 36, 60, {10, 46, 82, 118, 154}, {260, 320, 380}},
        {30, 36, 30, {10, 46, 82, 118, 154}, {260, 290, 320, 350, 380, 410}},
    };
    for (int stage = 0; stage < 6; ++stage) {
        const StageLayout layout = *StageLayout::forStage(stage);
        const Expected &e = table[stage];
        ASSERT_EQ(layout.count(), e.count);
        EXPECT_EQ(layout.captionStep(), 30 / e.count);
        EXPECT_EQ(layout.buttonWidth(Board), e.width);
        EXPECT_EQ(layout.buttonHeight(Board), e.height);
        const std::size_t columns = e.lefts.size();
        for (int i = 0; i < e.count; ++i) {
            EXPECT_EQ(layout.buttonLeft(Board, i, e.width), e.lefts[i % columns]) << stage << "/" << i;
            EXPECT_EQ(layout.buttonTop(Board, i, e.height), e.tops[i / columns]) << stage << "/" << i;
        }
    }
}

TEST(StageLayout, PositionsFollowTheSizeReadBack)
{
    // Whatever size the button ends up with, the grid stays edge to edge.
    const StageLayout layout = *StageLayout::forStage(3);
    EXPECT_EQ(layout.buttonLeft(Board, 7, 37.0f), 10 + 2 * 37.0f);
    EXPECT_EQ(layout.buttonTop(Board, 7, 91.0f), 260 + 91.0f);
}

TEST(StageLayout, OnlyStagesZeroToFiveExist)
{
    EXPECT_FALSE(StageLayout::forStage(-1));
    EXPECT_FALSE(StageLayout::forStage(6));
    for (int stage = 0; stage < 6; ++stage)
        EXPECT_TRUE(StageLayout::forStage(stage));
}

TEST(StageLayout, ScriptedNumbersGiveKnownCaptions)
{
    // Stage 1, age 9: bases 9, 19, 29. Button 0 is right and takes no
    // number. Button 1: sign + (0.5), magnitude int(0.99 * 10 / 2) = 4, so
    // 23. Button 2: first + (0.75), int(0.7 * 10 / 2) = 3 gives 32, out of range and
    // drawn again; then - (0.2) and int(0.45 * 10 / 2) = 2 gives 27.
    Script script;
    script.numbers = {0.5, 0.99, 0.75, 0.7, 0.2, 0.45};
    EXPECT_EQ(captions(1, 9, script.source()), (std::vector<int>{9, 23, 27}));
    EXPECT_EQ(script.taken, 6);
    EXPECT_TRUE(script.numbers.empty());
}

TEST(StageLayout, LastStagesDrawForEveryDistractorButNeverShift)
{
    // Steps of 2 and 1 allow no shift, yet every distractor still takes its
    // two numbers, so the numbers that follow stay in step.
    Script script;
    for (int i = 0; i < 2 * 29 + 2 * 14; ++i)
        script.numbers.push_back(i % 2 ? 0.999 : 0.1);
    std::vector<int> all(30);
    for (int i = 0; i < 30; ++i)
        all[i] = i;
    EXPECT_EQ(captions(5, 12, script.source()), all);
    EXPECT_EQ(script.taken, 58);
    const std::vector<int> odd = captions(4, 17, script.source());
    EXPECT_EQ(odd[8], 17);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(odd[i], 2 * i + 1);
    EXPECT_EQ(script.taken, 58 + 28);
}

TEST(StageLayout, NamedCasesReachExactlyTheirRange)
{
    // Over many layouts each listed button shows every value of its range
    // and nothing else: the right button its age, a distractor its base
    // value shifted by up to half a step, cut to the month.
    const struct
    {
        int stage, age, index, low, high;
    } cases[] = {
        {0, 16, 1, 16, 16}, {0, 16, 0, 0, 8},  {0, 3, 0, 3, 3},   {0, 3, 1, 11, 25},
        {1, 9, 0, 9, 9},    {1, 9, 1, 15, 23}, {1, 9, 2, 25, 29}, {3, 0, 0, 0, 0},
        {3, 0, 1, 2, 4},    {3, 0, 9, 26, 28},
    };
    std::mt19937_64 engine(7);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const StageLayout::Random random = [&] { return uniform(engine); };
    for (const auto &c : cases) {
        std::set<int> seen;
        for (int round = 0; round < 500; ++round)
            seen.insert(captions(c.stage, c.age, random)[c.index]);
        std::set<int> expected;
        for (int value = c.low; value <= c.high; ++value)
            expected.insert(value);
        EXPECT_EQ(seen, expected) << "stage " << c.stage << ", age " << c.age << ", button " << c.index;
    }
}

TEST(StageLayout, EveryStageAndAgeHasOneRightAndDistinctCaptions)
{
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        std::mt19937_64 engine(seed);
        const StageLayout::Random random = [&] {
            return static_cast<double>(engine() >> 11) * 0x1.0p-53;
        };
        for (int stage = 0; stage < 6; ++stage) {
            const StageLayout layout = *StageLayout::forStage(stage);
            for (int age = 0; age < 30; ++age) {
                const std::vector<int> shown = captions(stage, age, random);
                std::set<int> distinct(shown.begin(), shown.end());
                ASSERT_EQ(distinct.size(), shown.size()) << stage << "/" << age;
                ASSERT_GE(*distinct.begin(), 0);
                ASSERT_LE(*distinct.rbegin(), 29);
                ASSERT_EQ(std::count(shown.begin(), shown.end(), age), 1);
                // The right caption is on the button that covers its age's stretch.
                ASSERT_EQ(shown[static_cast<std::size_t>(age / layout.captionStep())], age);
            }
        }
    }
}
