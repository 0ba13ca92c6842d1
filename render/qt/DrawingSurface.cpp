// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "DrawingSurface.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

DrawingSurface::DrawingSurface(int width, int height, QColor background)
    : m_image(width, height, QImage::Format_RGB32)
    , m_background(background.rgb())
{
    m_image.fill(m_background);
    // The image is never shared, so its pixels stay where they are; taking
    // the address once spares a copy-on-write check on every row.
    m_pixels = reinterpret_cast<std::uint32_t *>(m_image.bits());
    m_stride = m_image.bytesPerLine() / static_cast<int>(sizeof(std::uint32_t));
}

void DrawingSurface::Cls()
{
    m_pendingClear |= m_drawn;
    m_drawn = QRect();
}

void DrawingSurface::finishClear() const
{
    if (m_pendingClear.isEmpty())
        return;
    for (int y = m_pendingClear.top(); y <= m_pendingClear.bottom(); ++y) {
        std::uint32_t *row = rowAt(y);
        std::fill(row + m_pendingClear.left(), row + m_pendingClear.right() + 1, m_background);
    }
    m_pendingClear = QRect();
}

const QImage &DrawingSurface::image() const
{
    finishClear();
    return m_image;
}

void DrawingSurface::copyBlock(int left, int top, int width, int height,
                               const std::uint32_t *pixels)
{
    const QRect target = QRect(left, top, width, height) & m_image.rect();
    if (target.isEmpty())
        return;
    if (target.contains(m_pendingClear))
        m_pendingClear = QRect(); // every cleared pixel is about to be replaced
    else
        finishClear();
    for (int y = target.top(); y <= target.bottom(); ++y) {
        const std::uint32_t *from = pixels + (y - top) * width + (target.left() - left);
        std::memcpy(rowAt(y) + target.left(), from, sizeof(std::uint32_t) * target.width());
    }
    m_drawn |= target;
}
