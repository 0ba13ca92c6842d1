// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "render/win32/DrawingSurface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

DrawingSurface::DrawingSurface(int width, int height, std::uint32_t background, DpiScale scale)
    : m_width(width)
    , m_height(height)
    , m_background(background)
    , m_scale(scale)
    , m_pixels(static_cast<std::size_t>(width) * height, background)
    , m_bitmap(std::make_unique<Bitmap>(width, height, scale))
{
    showOnBitmap(0, 0, m_width, m_height);
}

DrawingSurface::~DrawingSurface() = default;

DrawingSurface::Bitmap::Bitmap(int width, int height, DpiScale scale)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = scale.px(width);
    info.bmiHeader.biHeight = -scale.px(height); // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *rows = nullptr;
    dc = CreateCompatibleDC(nullptr);
    bitmap = dc ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &rows, nullptr, 0) : nullptr;
    if (!bitmap || !rows) {
        release();
        throw std::bad_alloc();
    }
    bits = static_cast<std::uint32_t *>(rows);
    previous = SelectObject(dc, bitmap);

    // Where each game column and row begins on the device; both share one
    // table, sized for the longer side.
    edges.resize(static_cast<std::size_t>(std::max(width, height)) + 1);
    for (std::size_t v = 0; v < edges.size(); ++v)
        edges[v] = scale.px(static_cast<int>(v));
}

DrawingSurface::Bitmap::~Bitmap()
{
    release();
}

void DrawingSurface::Bitmap::release()
{
    if (dc && previous)
        SelectObject(dc, previous);
    if (bitmap)
        DeleteObject(bitmap);
    if (dc)
        DeleteDC(dc);
    dc = nullptr;
    bitmap = nullptr;
    previous = nullptr;
}

void DrawingSurface::setScale(DpiScale scale)
{
    if (scale == m_scale)
        return;
    // Made first, so that a bitmap that cannot be made leaves the old one.
    auto bitmap = std::make_unique<Bitmap>(m_width, m_height, scale);
    m_bitmap = std::move(bitmap);
    m_scale = scale;
    showOnBitmap(0, 0, m_width, m_height);
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
    const std::vector<int> &edges = m_bitmap->edges;
    const int deviceLeft = edges[left];
    const int deviceRight = edges[right];
    for (int y = top; y < bottom; ++y) {
        // One device row from the game row, each pixel as wide as its
        // column, then the same row again for the rest of the block.
        std::uint32_t *const bits = m_bitmap->bits;
        std::uint32_t *first = bits + static_cast<std::size_t>(edges[y]) * stride;
        const std::uint32_t *from = &m_pixels[index(0, y)];
        for (int x = left; x < right; ++x)
            std::fill(first + edges[x], first + edges[x + 1], from[x]);
        for (int row = edges[y] + 1; row < edges[y + 1]; ++row)
            std::memcpy(bits + static_cast<std::size_t>(row) * stride + deviceLeft, first + deviceLeft,
                        sizeof(std::uint32_t) * (deviceRight - deviceLeft));
    }
}

void DrawingSurface::paint(HDC dc, const RECT &area) const
{
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, m_bitmap->dc, area.left,
           area.top, SRCCOPY);
}
