// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "render/qt/DrawingSurface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {
const QColor Background(0, 0, 64);

int countNotBackground(const DrawingSurface &surface)
{
    int count = 0;
    for (int y = 0; y < surface.image().height(); ++y)
        for (int x = 0; x < surface.image().width(); ++x)
            count += surface.image().pixel(x, y) != Background.rgb();
    return count;
}
}

namespace {
// One pixel, as a block of its own.
void dot(DrawingSurface &surface, int x, int y, QColor colour)
{
    const std::uint32_t pixel = colour.rgb();
    surface.copyBlock(x, y, 1, 1, &pixel);
}
}

TEST(DrawingSurface, ClsErasesEveryKindOfDrawing)
{
    DrawingSurface surface(200, 450, Background);
    EXPECT_EQ(countNotBackground(surface), 0);

    const std::vector<std::uint32_t> block(20 * 10, 0xFFFFFF00u);
    surface.copyBlock(5, 5, 20, 10, block.data());
    dot(surface, 199, 449, Qt::black);
    dot(surface, 0, 300, Qt::yellow);
    EXPECT_EQ(countNotBackground(surface), 202);
    EXPECT_EQ(surface.image().pixel(24, 14), QColor(Qt::yellow).rgb());

    surface.Cls();
    EXPECT_EQ(countNotBackground(surface), 0);
}

TEST(DrawingSurface, WritesOffTheSurfaceAreClipped)
{
    DrawingSurface surface(200, 450, Background);
    dot(surface, -1, 0, Qt::yellow);
    dot(surface, 200, 0, Qt::yellow);
    const std::vector<std::uint32_t> block(4 * 4, 0xFF000000u);
    surface.copyBlock(198, 448, 4, 4, block.data());
    EXPECT_EQ(countNotBackground(surface), 4);
    surface.copyBlock(-2, -2, 4, 4, block.data());
    EXPECT_EQ(countNotBackground(surface), 8);
    EXPECT_EQ(surface.image().pixel(1, 1), 0xFF000000u);
    surface.Cls();
    EXPECT_EQ(countNotBackground(surface), 0);
}

TEST(DrawingSurface, AClearedPictureNeverShowsThroughANewOne)
{
    DrawingSurface surface(200, 450, Background);
    const std::vector<std::uint32_t> big(30 * 30, 0xFFFFFF00u);
    const std::vector<std::uint32_t> small(5 * 5, 0xFF000000u);

    // A smaller drawing after a clear: the rest of the old one is gone.
    surface.copyBlock(10, 10, 30, 30, big.data());
    surface.Cls();
    surface.copyBlock(12, 12, 5, 5, small.data());
    EXPECT_EQ(countNotBackground(surface), 25);

    // A drawing that covers the old one entirely replaces it.
    surface.Cls();
    surface.copyBlock(0, 0, 30, 30, big.data());
    surface.Cls();
    surface.copyBlock(0, 0, 30, 30, big.data());
    EXPECT_EQ(countNotBackground(surface), 900);

    // Two clears in a row, then single pixels.
    surface.Cls();
    surface.Cls();
    dot(surface, 100, 100, Qt::yellow);
    EXPECT_EQ(countNotBackground(surface), 1);
}
