// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "PhaseDisc.h"

#include <cmath>
#include <cstdint>
#include <memory>

namespace {
constexpr double FullTurn = 6.28318530717958;
constexpr int AgeCount = 30;
}

double PhaseDisc::terminatorFactor(int age)
{
    // Kept in this order on purpose: the build disables contraction into
    // fused multiply-adds so the borderline pixels at ages 5, 10, 20 and 25
    // come out the same on every machine.
    const double step = FullTurn / 30;
    const double a = step * age;
    const double t = std::tan(a);
    return t * t + 1;
}

bool PhaseDisc::isLit(int age, double k, int x, int y)
{
    // Inside the terminator ellipse, whose horizontal half-axis is
    // 50 |cos a|. Which half of its outline bounds the lit part depends on
    // the quarter of the month.
    const double yy = y * y;
    const bool inside = (k * x) * x + yy < Radius * Radius;
    if (age < 8)
        return x >= 1 && !inside;   // waxing crescent, lit on the right
    if (age < 15)
        return x >= 1 || inside;    // waxing gibbous
    if (age < 23)
        return x <= -1 || inside;   // full, then waning gibbous
    return x <= -1 && !inside;      // waning crescent, lit on the left
}

void PhaseDisc::render(int age, std::uint32_t background, Picture &out)
{
    const double k = terminatorFactor(age);
    for (int y = -Radius; y <= Radius; ++y) {
        std::uint32_t *row = out.data() + (y + Radius) * Side;
        for (int x = -Radius; x <= Radius; ++x) {
            std::uint32_t colour = background;
            if (isInDisc(x, y))
                colour = isLit(age, k, x, y) ? Lit : Dark;
            row[x + Radius] = colour;
        }
    }
}

const PhaseDisc::Picture &PhaseDisc::cached(int age, std::uint32_t background)
{
    // One slot per age; a different background (never in the game) or an
    // age outside the month is simply drawn again into the spare slot.
    struct Slot {
        bool ready = false;
        std::uint32_t background = 0;
        Picture picture;
    };
    static const auto slots = std::make_unique<Slot[]>(AgeCount + 1);
    const bool inMonth = age >= 0 && age < AgeCount;
    Slot &slot = slots[inMonth ? age : AgeCount];
    if (!inMonth || !slot.ready || slot.background != background) {
        render(age, background, slot.picture);
        slot.background = background;
        slot.ready = true;
    }
    return slot.picture;
}
