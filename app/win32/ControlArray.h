// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "app/FormDesign.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The answer buttons as one array: element 0 comes with the window, the
// others are created at run time in its likeness. Each is a button window
// whose control id is FirstId plus its index, so a click reports the index.
// The buttons are drawn by their window (WM_DRAWITEM to drawItem), since a
// push button of the system cannot take a face colour; their captions stay
// their window texts, which screen readers read.
class ControlArray
{
public:
    static constexpr int FirstId = 1000;
    // Answer buttons have this face in every state.
    static constexpr COLORREF Face = FormDesign::bgr(FormDesign::ButtonFace);
    static constexpr COLORREF Edge = FormDesign::bgr(FormDesign::ButtonShade);

    // Creates element 0, hidden, at `design` (device pixels) with `caption`.
    // A button that the system cannot make throws std::runtime_error, here
    // and in load(), and leaves the array as it was.
    ControlArray(HWND parent, const RECT &design, const std::wstring &caption, HFONT font);
    ControlArray(const ControlArray &) = delete;
    ControlArray &operator=(const ControlArray &) = delete;

    // Creates element `index`, the next one, hidden, with element 0's font,
    // place, size and caption.
    HWND load(int index);
    // The element at `index`; the index must exist.
    HWND item(int index) const { return m_elements.at(static_cast<std::size_t>(index)); }
    int count() const { return static_cast<int>(m_elements.size()); }
    // The index of the element with control id `id`, or nothing.
    std::optional<int> indexOf(int id) const;

    // Where element `index` lies, in its window's client coordinates.
    RECT place(int index) const;
    std::wstring caption(int index) const;
    void setCaption(int index, const std::wstring &caption);
    void setFont(HFONT font);

    // Paints the element the item belongs to: the orange face, a darker
    // edge, a second edge and the caption one pixel lower while pressed,
    // and a dotted frame when it has the focus and `focusCue` is set.
    // `pixel` is the width of one game pixel on the device.
    static void drawItem(const DRAWITEMSTRUCT &item, bool focusCue, int pixel);

private:
    HWND create(int index, const RECT &place, const std::wstring &caption);

    HWND m_parent;
    HFONT m_font;
    std::vector<HWND> m_elements;
};
