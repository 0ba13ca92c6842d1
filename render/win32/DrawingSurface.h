// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "render/win32/DpiScale.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

// The window's persistent picture of its client area. Drawing goes here,
// never straight to the screen, and every paint of the window starts from
// it, so a drawn disc survives covering and minimising.
//
// It keeps the picture twice: in game pixels, which is what was drawn, and
// as a 32-bit device-independent bitmap at the window's density, which is
// what a paint copies to the screen. At 192 dpi every game pixel is a sharp
// 2 x 2 block of the bitmap; a change of density redraws the bitmap from the
// game pixels and loses nothing.
class DrawingSurface
{
public:
    // `width` x `height` game pixels filled with `background` (0xAARRGGBB;
    // the alpha byte is ignored).
    DrawingSurface(int width, int height, std::uint32_t background, DpiScale scale);
    ~DrawingSurface();
    DrawingSurface(const DrawingSurface &) = delete;
    DrawingSurface &operator=(const DrawingSurface &) = delete;

    // Fills the surface with the background colour again. Only what was
    // drawn since the last clear differs from it, so only that is refilled.
    void Cls();

    // Copies a block of 0xAARRGGBB pixels, row by row, to (left, top) in
    // game pixels; the part outside the surface is left out.
    void copyBlock(int left, int top, int width, int height, const std::uint32_t *pixels);

    // The density of the window changed: the bitmap is made anew at it.
    // When it cannot be made (std::bad_alloc), the surface stays as it was.
    void setScale(DpiScale scale);

    // Copies the device rectangle `area` of the bitmap to `dc` at the same
    // place.
    void paint(HDC dc, const RECT &area) const;

    int width() const { return m_width; }
    int height() const { return m_height; }
    DpiScale scale() const { return m_scale; }
    int deviceWidth() const { return m_scale.px(m_width); }
    int deviceHeight() const { return m_scale.px(m_height); }

private:
    // A 32-bit bitmap of the surface at one density, in a memory context
    // of its own; made whole or not at all (std::bad_alloc).
    class Bitmap
    {
    public:
        Bitmap(int width, int height, DpiScale scale);
        ~Bitmap();
        Bitmap(const Bitmap &) = delete;
        Bitmap &operator=(const Bitmap &) = delete;

        HDC dc = nullptr;
        HBITMAP bitmap = nullptr;
        HGDIOBJ previous = nullptr;
        std::uint32_t *bits = nullptr; // rows, top first, no padding
        std::vector<int> edges;        // device edge of every game column and row

    private:
        void release();
    };

    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * m_width + x; }
    // Shows game pixels [left, right) x [top, bottom) on the bitmap.
    void showOnBitmap(int left, int top, int right, int bottom);

    int m_width;
    int m_height;
    std::uint32_t m_background;
    DpiScale m_scale;
    std::vector<std::uint32_t> m_pixels;
    RECT m_drawn{}; // game pixels written since the last clear
    std::unique_ptr<Bitmap> m_bitmap;
};
