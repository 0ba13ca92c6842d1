// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "render/GameScale.h"

#include <gtest/gtest.h>

namespace {
constexpr GameScale::Extent Game{200, 450};

struct Case
{
    const char *what;
    int screenDpi;
    GameScale::Extent frame;
    GameScale::Extent work;
    int expected;
};
} // namespace

TEST(GameScale, TakesTheDensestQuarterStepAtWhichTheWholeWindowFits)
{
    const Case cases[] = {
        {"a large screen keeps its density", 192, {16, 100}, {1280, 1024}, 192},
        {"150 % on a 1366 x 768 laptop, at the edge", 144, {16, 93}, {1366, 768}, 144},
        {"one pixel more than the laptop has", 144, {16, 94}, {1366, 768}, 120},
        {"150 % on 1024 x 600 only fits at 100 %", 144, {16, 80}, {1024, 600}, 96},
        {"200 % on 1024 x 768 fits at 125 % (563 + 100)", 192, {16, 100}, {1024, 768}, 120},
        {"a narrow work area decides by its width", 288, {16, 0}, {500, 5000}, 216},
        {"a density between steps steps to the quarter below", 130, {16, 20}, {1024, 600}, 120},
        {"a density between steps that fits stays", 110, {16, 20}, {1024, 600}, 110},
        {"nothing fits: the standard density", 192, {16, 700}, {1024, 600}, 96},
        {"a screen below the standard keeps its own", 72, {16, 80}, {320, 240}, 72},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GameScale::fitting(c.screenDpi, Game, c.frame, c.work), c.expected) << c.what;
}

TEST(GameScale, AWindowStaysInsideItsWorkAreaCaptionFirst)
{
    // Centred where it fits, also on a work area that does not start at 0
    // (a taskbar above it, a monitor left of the primary).
    EXPECT_EQ(GameScale::centred(300, 0, 1024), 362);
    EXPECT_EQ(GameScale::centred(300, -1024, 1024), -662);
    EXPECT_EQ(GameScale::centred(561, 40, 560), 40);
    // Longer than the work area: at its start, never above it.
    EXPECT_EQ(GameScale::centred(700, 40, 560), 40);
    // A window put elsewhere moves back inside, at either end.
    EXPECT_EQ(GameScale::inside(900, 200, 0, 1024), 824);
    EXPECT_EQ(GameScale::inside(-30, 200, 0, 1024), 0);
    EXPECT_EQ(GameScale::inside(500, 200, 0, 1024), 500);
    EXPECT_EQ(GameScale::inside(500, 2000, 0, 1024), 0);
}
