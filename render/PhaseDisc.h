// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <array>
#include <cstdint>

// The lunar disc as it looks at a given age: which pixels of the 99-pixel
// disc are lit and which are dark. Plain arithmetic, no drawing: the window
// copies the finished picture onto its surface in one step.
class PhaseDisc
{
public:
    static constexpr int Radius = 50;
    static constexpr int CentreX = 100;
    static constexpr int CentreY = 100;
    // The square that holds the disc: offsets -50..50 on both axes.
    static constexpr int Side = 2 * Radius + 1;
    static constexpr int Left = CentreX - Radius;
    static constexpr int Top = CentreY - Radius;

    static constexpr std::uint32_t Lit = 0xFFFFFF00u;  // RGB(255, 255, 0)
    static constexpr std::uint32_t Dark = 0xFF000000u; // RGB(0, 0, 0)

    // 101 x 101 pixels, row by row, 0xAARRGGBB; pixels outside the disc
    // hold the background colour they were given.
    using Picture = std::array<std::uint32_t, Side * Side>;

    // 1 / cos^2 of the age's angle. The full turn is 6.28318530717958, a
    // hair under 2 pi, and that difference decides the pixels that lie
    // exactly on the terminator: the constant is part of the picture.
    static double terminatorFactor(int age);

    static bool isInDisc(int x, int y) { return x * x + y * y < Radius * Radius; }

    // Whether the disc pixel at offset (x, y) from the centre is lit at this
    // age, given the age's terminator factor k.
    static bool isLit(int age, double k, int x, int y);

    // The whole picture for one age.
    static void render(int age, std::uint32_t background, Picture &out);

    // The picture for an age, computed once and then kept: every stage
    // change needs one, and there are only thirty.
    static const Picture &cached(int age, std::uint32_t background);
};
