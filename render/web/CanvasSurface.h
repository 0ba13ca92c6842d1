// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <vector>

// The page's persistent picture of its game area, kept in the module's
// memory in the byte order a canvas takes (R, G, B, A). Drawing goes here;
// Refresh hands the whole picture to the page, which paints its canvas from
// it, so nothing is ever drawn straight onto the screen.
class CanvasSurface
{
public:
    CanvasSurface(int width, int height, std::uint32_t background);

    void Cls();
    // Copies a block of 0xAARRGGBB pixels, row by row, to (left, top);
    // whatever lies outside the surface is left out.
    void CopyBlock(int left, int top, int width, int height, const std::uint32_t *argbPixels);
    void Refresh() const;

private:
    void put(std::size_t offset, std::uint32_t argb);

    int m_width;
    int m_height;
    std::uint32_t m_background;
    std::vector<std::uint8_t> m_rgba;
};
