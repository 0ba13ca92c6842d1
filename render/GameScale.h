// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

// How large the game area shows on a screen. The game is laid out in game
// pixels; a screen of some density shows each as a block of device pixels,
// 96 dots per inch being one device pixel per game pixel. Where the whole
// window, frame included, would not fit the screen at its own density, the
// game area takes a smaller one, so that no part of the game lies off the
// screen: the last stage's buttons must stay within reach.
namespace GameScale {

inline constexpr int Standard = 96;
// The densities a game area steps down through: a quarter of the standard
// each, the steps screens offer (125 %, 150 %, ...).
inline constexpr int Step = Standard / 4;

// The device edge of game edge v at `dpi`, rounded to the nearest pixel
// (halves away from zero), as window systems round their own metrics.
// Edges are scaled, not sizes: what touches in game pixels touches on the
// screen too, at any density.
constexpr int edge(int v, int dpi)
{
    const long long scaled = static_cast<long long>(v) * dpi;
    const long long half = Standard / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / Standard : -((-scaled + half) / Standard));
}

struct Extent
{
    int width = 0;
    int height = 0;
};

// The density of a game area of `game` pixels in a window whose frame (its
// caption, menu bar and borders) adds `frame` device pixels, on a work area
// of `work` device pixels: the screen's own `screenDpi` where the window
// fits, otherwise the densest quarter step below it that fits, and the
// standard density where none does. The game area is never shown larger
// than the screen's density, nor, by this, smaller than the standard.
constexpr int fitting(int screenDpi, Extent game, Extent frame, Extent work)
{
    const auto fits = [&](int dpi) {
        return edge(game.width, dpi) + frame.width <= work.width
               && edge(game.height, dpi) + frame.height <= work.height;
    };
    for (int dpi = screenDpi; dpi > Standard; dpi = (dpi - 1) / Step * Step)
        if (fits(dpi))
            return dpi;
    return screenDpi < Standard ? screenDpi : Standard;
}

// Where a window `length` long that would start at `position` starts along
// one side of a work area that starts at `start` and is `available` long:
// moved back so that its far end stays inside, and never before the work
// area's start, which wins when the window is the longer (its caption and
// menu stay on the screen; what does not fit is cut at the far end).
constexpr int inside(int position, int length, int start, int available)
{
    const int last = start + available - length;
    return position > last ? (last > start ? last : start) : (position < start ? start : position);
}

// The same window centred on that side, as far as it fits.
constexpr int centred(int length, int start, int available)
{
    return inside(start + (available - length) / 2, length, start, available);
}

} // namespace GameScale
