// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "render/win32/DpiScale.h"

#include <windows.h>

#include <string>

// The disc as a screen reader meets it: a static control over the disc
// whose window text, which screen readers read as its name, is the drawn
// disc in words. It is owner-drawn, and its window paints it with exactly
// what lies beneath it, so nothing on screen changes. It stays hidden until
// the first disc is drawn.
class DiscLabel
{
public:
    static constexpr int Id = 900;

    // Creates it, hidden; throws std::runtime_error when it cannot be made.
    DiscLabel(HWND parent, DpiScale scale);
    DiscLabel(const DiscLabel &) = delete;
    DiscLabel &operator=(const DiscLabel &) = delete;

    HWND hwnd() const { return m_hwnd; }
    // Where it lies, in its window's client coordinates.
    RECT place() const;
    void describe(const std::wstring &text);
    // After a change of density: the disc's place at the new one.
    void setScale(DpiScale scale);
    // Its window's picture beneath it changed: paint it again.
    void invalidate() const;

private:
    static RECT deviceRect(DpiScale scale);

    HWND m_hwnd = nullptr;
};
