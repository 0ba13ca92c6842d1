// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "render/GameScale.h"

// The window's game pixels on a screen of some density. The game is laid
// out in pixels at 96 dpi; at 192 dpi every game pixel is a 2 x 2 block.
// Edges are scaled, not sizes: whatever touches in game pixels touches on
// the screen too, at any density.
class DpiScale
{
public:
    static constexpr int Standard = GameScale::Standard;

    explicit DpiScale(int dpi = Standard) : m_dpi(dpi > 0 ? dpi : Standard) {}

    int dpi() const { return m_dpi; }

    // The device edge of game edge v, rounded to the nearest pixel (halves
    // away from zero), as the system rounds its own metrics.
    int px(int v) const { return GameScale::edge(v, m_dpi); }

    bool operator==(const DpiScale &other) const = default;

private:
    int m_dpi;
};
