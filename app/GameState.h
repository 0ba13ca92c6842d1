// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "../board/BoardRect.h"

#include <cstdint>

// Everything the game remembers while it runs. All zero until the window
// loads; GameFlow gives the fields their values.
struct GameState
{
    std::int32_t answerAge = 0;         // the age of the disc on show, 0..29
    std::int32_t previousAnswerAge = 0; // the next age drawn must differ
    BoardRect board;                    // where the answer buttons go
    std::int32_t stage = 0;             // 0..5
    std::int32_t elapsedTenths = 0;     // ticks of the game under way
    std::int32_t bestTenths = 0;        // fastest clear so far; 999 for none
};
