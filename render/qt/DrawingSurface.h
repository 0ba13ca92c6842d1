// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <cstdint>

// The window's persistent picture of its client area. Drawing goes here,
// never straight to the screen, and every paint of the window starts from
// it, so a drawn disc survives covering and minimising.
class DrawingSurface
{
public:
    DrawingSurface(int width, int height, QColor background);
    DrawingSurface(const DrawingSurface &) = delete;
    DrawingSurface &operator=(const DrawingSurface &) = delete;

    // Fills the surface with the background colour again. Only the part
    // drawn on since the last clear needs refilling, and that is done when
    // the pixels are next used, unless a copied block covers them all first:
    // each new disc replaces the old one without filling it in between.
    // (Filling at once doubles the cost of a new disc: scripts/bench.)
    void Cls();

    // Copies a block of 0xAARRGGBB pixels, row by row, to (left, top).
    void copyBlock(int left, int top, int width, int height, const std::uint32_t *pixels);

    // Paint from it, but never keep a copy: the surface writes in place.
    const QImage &image() const;

private:
    std::uint32_t *rowAt(int y) const { return m_pixels + y * m_stride; }
    void finishClear() const;

    QImage m_image;
    std::uint32_t *m_pixels = nullptr;
    int m_stride = 0;
    std::uint32_t m_background;
    QRect m_drawn;                // written since the last clear
    mutable QRect m_pendingClear; // cleared, but not yet refilled
};
