// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

// The rectangle of the client area, in pixels, that the answer buttons tile.
struct BoardRect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The game's one board: where every stage tiles its answer buttons, and on
// whose top edge the question sits.
inline constexpr BoardRect GameBoard{10, 260, 190, 440};
