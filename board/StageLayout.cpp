// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "StageLayout.h"

#include <cmath>
#include <optional>

StageLayout::StageLayout(int stage, int count, int widthDivisor, int heightDivisor, int columns)
    : m_stage(stage)
    , m_count(count)
    , m_widthDivisor(widthDivisor)
    , m_heightDivisor(heightDivisor)
    , m_columns(columns)
{
}

std::optional<StageLayout> StageLayout::forStage(int stage)
{
    // The first two stages use a single row of half the board's height,
    // leaving its lower half empty; from stage 2 on the grid fills it.
    switch (stage) {
    case 0: return StageLayout(0, 2, 2, 2, 2);
    case 1: return StageLayout(1, 3, 3, 2, 3);
    case 2: return StageLayout(2, 6, 3, 2, 3);
    case 3: return StageLayout(3, 10, 5, 2, 5);
    case 4: return StageLayout(4, 15, 5, 3, 5);
    case 5: return StageLayout(5, 30, 5, 6, 5);
    default: return std::nullopt;
    }
}

float StageLayout::buttonWidth(const BoardRect &board) const
{
    const double width = static_cast<double>(board.right - board.left);
    return static_cast<float>(width / m_widthDivisor);
}

float StageLayout::buttonHeight(const BoardRect &board) const
{
    const double height = static_cast<double>(board.bottom - board.top);
    return static_cast<float>(height / m_heightDivisor);
}

float StageLayout::buttonLeft(const BoardRect &board, int index, float width) const
{
    const int column = singleRow() ? index : index % m_columns;
    return static_cast<float>(board.left + static_cast<double>(width) * column);
}

float StageLayout::buttonTop(const BoardRect &board, int index, float height) const
{
    if (singleRow())
        return static_cast<float>(board.top);
    const int row = index / m_columns;
    return static_cast<float>(board.top + static_cast<double>(height) * row);
}

int StageLayout::caption(int index, int age, const Random &random) const
{
    const int step = captionStep();
    const int base = index * step + age % step;
    if (base == age)
        return base;
    // A shift is always under half a step, so distractors never meet each
    // other or the answer; one that leaves the month is drawn again, and it
    // can leave on one side only, so each attempt succeeds at least half
    // the time.
    for (;;) {
        const int sign = static_cast<int>(std::floor(random() * 2)) == 1 ? 1 : -1;
        const int magnitude = static_cast<int>(std::floor(random() * step / 2));
        const int value = base + sign * magnitude;
        if (value >= 0 && value <= 29)
            return value;
    }
}
