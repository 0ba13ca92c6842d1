// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "DiscText.h"

#include <array>
#include <cstdint>
#include <string>

namespace {
constexpr int AgeCount = 30;

struct LitCount
{
    int left = 0;   // lit pixels left of the centre column
    int right = 0;  // lit pixels right of it
    int all = 0;    // lit pixels anywhere in the disc
    int dark = 0;
};

LitCount countDisc(const PhaseDisc::Picture &picture)
{
    // Only pixels inside the disc count: the square's corners hold the
    // background, whatever colour that is.
    LitCount count;
    for (int y = -PhaseDisc::Radius; y <= PhaseDisc::Radius; ++y) {
        for (int x = -PhaseDisc::Radius; x <= PhaseDisc::Radius; ++x) {
            if (!PhaseDisc::isInDisc(x, y))
                continue;
            const std::uint32_t pixel = picture[(y + PhaseDisc::Radius) * PhaseDisc::Side + x + PhaseDisc::Radius];
            if (pixel == PhaseDisc::Dark) {
                ++count.dark;
            } else if (pixel == PhaseDisc::Lit) {
                ++count.all;
                count.left += x < 0;
                count.right += x > 0;
            }
        }
    }
    return count;
}

std::string share(int percent)
{
    return " (明るい部分 " + std::to_string(percent) + "%)";
}
} // namespace

std::string DiscText::describe(const PhaseDisc::Picture &picture)
{
    const LitCount count = countDisc(picture);
    if (count.all == 0)
        return "新月" + share(0);
    if (count.dark == 0)
        return "満月" + share(100);
    // round(100 * lit / total) with halves up, in integers: no floating
    // point can make a borderline share come out differently anywhere.
    const int total = count.all + count.dark;
    const int percent = (200 * count.all + total) / (2 * total);
    const char *side = count.right >= count.left ? "右側" : "左側";
    return side + std::string("が明るい月") + share(percent);
}

const std::string &DiscText::cached(int age, std::uint32_t background)
{
    // One text per age of the month; an age outside it is described anew
    // into the spare slot, as PhaseDisc::cached() draws it anew.
    static std::array<std::string, AgeCount + 1> texts;
    const bool inMonth = age >= 0 && age < AgeCount;
    std::string &text = texts[inMonth ? age : AgeCount];
    if (!inMonth || text.empty())
        text = describe(PhaseDisc::cached(age, background));
    return text;
}
