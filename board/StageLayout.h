// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "BoardRect.h"

#include <functional>
#include <optional>

// One stage of the answer board: how many buttons it shows, how they tile
// the board rectangle, and how its captions are spread over the month.
class StageLayout
{
public:
    static constexpr int StageCount = 6;
    static constexpr int ButtonCount = 30;

    // Uniform numbers in [0, 1), shared with the rest of the game.
    using Random = std::function<double()>;

    // The layout of a stage, or nothing for an index outside 0..5.
    static std::optional<StageLayout> forStage(int stage);

    int count() const { return m_count; }
    int captionStep() const { return ButtonCount / m_count; }

    // Button sizes from the board rectangle, computed in double and handed
    // over in single precision, as the buttons take them.
    float buttonWidth(const BoardRect &board) const;
    float buttonHeight(const BoardRect &board) const;

    // Where button i goes, from the size the button reports having.
    float buttonLeft(const BoardRect &board, int index, float width) const;
    float buttonTop(const BoardRect &board, int index, float height) const;

    // The caption of button i for answer age `age`: the base value for the
    // right button, otherwise a distractor shifted by a random amount and
    // redrawn until it is an age. Takes two numbers per attempt, sign first.
    int caption(int index, int age, const Random &random) const;

private:
    StageLayout(int stage, int count, int widthDivisor, int heightDivisor, int columns);

    bool singleRow() const { return m_stage < 2; }

    int m_stage;
    int m_count;
    int m_widthDivisor;
    int m_heightDivisor;
    int m_columns;
};
