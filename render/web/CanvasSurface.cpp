// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "CanvasSurface.h"
#include "app/web/Page.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

CanvasSurface::CanvasSurface(int width, int height, std::uint32_t background)
    : m_width(width)
    , m_height(height)
    , m_background(background)
    , m_rgba(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
{
    Cls();
}

void CanvasSurface::put(std::size_t offset, std::uint32_t argb)
{
    m_rgba[offset] = static_cast<std::uint8_t>(argb >> 16);
    m_rgba[offset + 1] = static_cast<std::uint8_t>(argb >> 8);
    m_rgba[offset + 2] = static_cast<std::uint8_t>(argb);
    m_rgba[offset + 3] = static_cast<std::uint8_t>(argb >> 24);
}

void CanvasSurface::Cls()
{
    for (std::size_t offset = 0; offset < m_rgba.size(); offset += 4)
        put(offset, m_background);
}

void CanvasSurface::CopyBlock(int left, int top, int width, int height, const std::uint32_t *argbPixels)
{
    const int firstX = std::max(left, 0);
    const int lastX = std::min(left + width, m_width);
    for (int row = std::max(top, 0); row < std::min(top + height, m_height); ++row) {
        // Indexed from the block's own row start, which stays inside the
        // block: a pointer moved back by `left` could lie before it.
        const std::uint32_t *source = argbPixels + static_cast<std::ptrdiff_t>(row - top) * width;
        for (int x = firstX; x < lastX; ++x)
            put((static_cast<std::size_t>(row) * m_width + x) * 4, source[x - left]);
    }
}

void CanvasSurface::Refresh() const
{
    Page::paint(m_rgba.data(), m_width, m_height);
}
