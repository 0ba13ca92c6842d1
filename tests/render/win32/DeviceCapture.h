// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// What a window or a surface paints, caught in a 32-bit bitmap of its own
// and read back pixel by pixel, as 0xRRGGBB: the tests see the picture the
// screen would get, through the system's own drawing calls.
class DeviceCapture
{
public:
    DeviceCapture(int width, int height) : m_width(width)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void *bits = nullptr;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<const std::uint32_t *>(bits);
        m_previous = SelectObject(m_dc, m_bitmap);
    }
    ~DeviceCapture()
    {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    DeviceCapture(const DeviceCapture &) = delete;
    DeviceCapture &operator=(const DeviceCapture &) = delete;

    HDC dc() const { return m_dc; }
    // Everything drawn so far is in the bitmap.
    std::uint32_t at(int x, int y) const
    {
        GdiFlush();
        return m_bits[static_cast<std::size_t>(y) * m_width + x] & 0xFFFFFFu;
    }

    // The client area of `window`, as it paints itself.
    static void printClient(HWND window, const DeviceCapture &capture)
    {
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(capture.dc()), PRF_CLIENT);
    }

private:
    int m_width;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    const std::uint32_t *m_bits = nullptr;
};
