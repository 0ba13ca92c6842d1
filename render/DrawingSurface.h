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

    // Fills the surface with the background colour again. Only the part
    // drawn on since the last clear needs refilling; the rest still is.
    void Cls();

    void SetPixel(int x, int y, QColor colour);

    // Copies a block of 0xAARRGGBB pixels, row by row, to (left, top).
    void copyBlock(int left, int top, int width, int height, const std::uint32_t *pixels);

    const QImage &image() const { return m_image; }
    std::uint32_t background() const { return m_background; }
    QRgb pixel(int x, int y) const { return m_image.pixel(x, y); }

private:
    QImage m_image;
    std::uint32_t m_background;
    QRect m_drawn; // everything written since the last clear
};
