// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "render/win32/DrawingSurface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

DrawingSurface::DrawingSurface(int width, int height, std::uint32_t background, DpiScale scale)
    : m_width(width)
    , m_height(height)
    , m_background(background)
    , m_scale(scale)
    , m_pixels(static_cast<std::size_t>(width) * height, background)
{
    makeBitmap();
}

DrawingSurface::~DrawingSurface()
{
    freeBitmap();
}

void DrawingSurface::makeBitmap()
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = deviceWidth();
    info.bmiHeader.biHeight = -deviceHeight(); // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_dc || !m_bitmap || !bits) {
        freeBitmap();
        throw std::bad_alloc();
    }
    m_bits = static_cast<std::uint32_t *>(bits);
    m_previous = SelectObject(m_dc, m_bitmap);

    // Where each game column and row begins on the device; both share one
    // table, sized for the longer side.
    m_edges.resize(static_cast<std::size_t>(std::max(m_width, m_height)) + 1);
    for (std::size_t v = 0; v < m_edges.size(); ++v)
        m_edges[v] = m_scale.px(static_cast<int>(v));
    showOnBitmap(0, 0, m_width, m_height);
}

void DrawingSurface::freeBitmap()
{
    if (m_dc && m_previous)
        SelectObject(m_dc, m_previous);
    if (m_bitmap)
        DeleteObject(m_bitmap);
    if (m_dc)
        DeleteDC(m_dc);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_previous = nullptr;
    m_bits = nullptr;
}

void DrawingSurface::setScale(DpiScale scale)
{
    if (scale == m_scale)
        return;
    freeBitmap();
    m_scale = scale;
    makeBitmap();
}

void DrawingSurface::Cls()
{
    if (IsRectEmpty(&m_drawn))
        return;
    for (int y = m_drawn.top; y < m_drawn.bottom; ++y)
        std::fill_n(&m_pixels[index(m_drawn.left, y)], m_drawn.right - m_drawn.left, m_background);
    showOnBitmap(m_drawn.left, m_drawn.top, m_drawn.right, m_drawn.bottom);
    SetRectEmpty(&m_drawn);
}

void DrawingSurface::copyBlock(int left, int top, int width, int height, const std::uint32_t *pixels)
{
    const int x0 = std::max(left, 0);
    const int y0 = std::max(top, 0);
    const int x1 = std::min(left + width, m_width);
    const int y1 = std::min(top + height, m_height);
    if (x0 >= x1 || y0 >= y1)
        return;
    for (int y = y0; y < y1; ++y) {
        const std::uint32_t *from = pixels + static_cast<std::size_t>(y - top) * width + (x0 - left);
        std::memcpy(&m_pixels[index(x0, y)], from, sizeof(std::uint32_t) * (x1 - x0));
    }
    const RECT block{x0, y0, x1, y1};
    UnionRect(&m_drawn, &m_drawn, &block);
    showOnBitmap(x0, y0, x1, y1);
}

void DrawingSurface::showOnBitmap(int left, int top, int right, int bottom)
{
    const int stride = deviceWidth();
    const int deviceLeft = m_edges[left];
    const int deviceRight = m_edges[right];
    for (int y = top; y < bottom; ++y) {
        // One device row from the game row, each pixel as wide as its
        // column, then the same row again for the rest of the block.
        std::uint32_t *first = m_bits + static_cast<std::size_t>(m_edges[y]) * stride;
        const std::uint32_t *from = &m_pixels[index(0, y)];
        for (int x = left; x < right; ++x)
            std::fill(first + m_edges[x], first + m_edges[x + 1], from[x]);
        for (int row = m_edges[y] + 1; row < m_edges[y + 1]; ++row)
            std::memcpy(m_bits + static_cast<std::size_t>(row) * stride + deviceLeft, first + deviceLeft,
                        sizeof(std::uint32_t) * (deviceRight - deviceLeft));
    }
}

void DrawingSurface::paint(HDC dc, const RECT &area) const
{
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, m_dc, area.left,
           area.top, SRCCOPY);
}

std::uint32_t DrawingSurface::devicePixel(int x, int y) const
{
    return m_bits[static_cast<std::size_t>(y) * deviceWidth() + x] & 0xFFFFFFu;
}
