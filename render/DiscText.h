// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "PhaseDisc.h"

#include <cstdint>
#include <string>

// The disc in words, for a player who cannot see it: read from the drawn
// picture's own pixels, so the words say what the picture shows.
class DiscText
{
public:
    // The lit share of the disc in whole percent, halves rounded up, and
    // the side that holds the light: "新月 (明るい部分 0%)" with no lit
    // pixel, "満月 (明るい部分 100%)" with no dark one, else
    // "右側が明るい月 (明るい部分 p%)" or "左側が明るい月 (明るい部分 p%)" by
    // the half that holds more lit pixels (the right one on a tie).
    static std::string describe(const PhaseDisc::Picture &picture);

    // The text of the picture PhaseDisc::cached() gives for this age,
    // worked out once per age.
    static const std::string &cached(int age, std::uint32_t background);
};
