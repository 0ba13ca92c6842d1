// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/win32/ControlArray.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace {
// A frame `width` pixels wide just inside `rect`.
void frame(HDC dc, RECT rect, int width, HBRUSH brush)
{
    for (int i = 0; i < width; ++i) {
        FrameRect(dc, &rect, brush);
        InflateRect(&rect, -1, -1);
    }
}
} // namespace

ControlArray::ControlArray(HWND parent, const RECT &design, const std::wstring &caption, HFONT font)
    : m_parent(parent)
    , m_font(font)
{
    m_elements.push_back(create(0, design, caption));
}

HWND ControlArray::create(int index, const RECT &place, const std::wstring &caption)
{
    // Hidden until shown; a tab stop, so that Tab moves from button to
    // button; drawn by the window.
    HWND button = CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_TABSTOP | BS_OWNERDRAW,
                                  place.left, place.top, place.right - place.left, place.bottom - place.top,
                                  m_parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(FirstId + index)),
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(m_parent, GWLP_HINSTANCE)),
                                  nullptr);
    if (!button)
        throw std::runtime_error("answer button " + std::to_string(index) + " could not be created (error "
                                 + std::to_string(GetLastError()) + ")");
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    return button;
}

HWND ControlArray::load(int index)
{
    HWND element = create(index, place(0), caption(0));
    // Tab order follows the index.
    SetWindowPos(element, m_elements.back(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_elements.push_back(element);
    return element;
}

std::optional<int> ControlArray::indexOf(int id) const
{
    const int index = id - FirstId;
    if (index < 0 || index >= count())
        return std::nullopt;
    return index;
}

RECT ControlArray::place(int index) const
{
    RECT place;
    GetWindowRect(item(index), &place);
    MapWindowPoints(HWND_DESKTOP, m_parent, reinterpret_cast<POINT *>(&place), 2);
    return place;
}

std::wstring ControlArray::caption(int index) const
{
    HWND element = item(index);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(element)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(element, text.data(), static_cast<int>(text.size()))));
    return text;
}

void ControlArray::setCaption(int index, const std::wstring &caption)
{
    SetWindowTextW(item(index), caption.c_str());
}

void ControlArray::setFont(HFONT font)
{
    m_font = font;
    for (HWND element : m_elements)
        SendMessageW(element, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void ControlArray::drawItem(const DRAWITEMSTRUCT &item, bool focusCue, int pixel)
{
    HDC dc = item.hDC;
    RECT face = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;

    HBRUSH faceBrush = CreateSolidBrush(Face);
    HBRUSH edgeBrush = CreateSolidBrush(Edge);
    FillRect(dc, &face, faceBrush);
    frame(dc, face, pressed ? 2 * pixel : pixel, edgeBrush);
    DeleteObject(faceBrush);
    DeleteObject(edgeBrush);

    if ((item.itemState & ODS_FOCUS) && focusCue) {
        RECT cue = face;
        InflateRect(&cue, -3 * pixel, -3 * pixel);
        SetTextColor(dc, Edge);
        SetBkColor(dc, Face);
        DrawFocusRect(dc, &cue);
    }

    wchar_t text[16] = {};
    GetWindowTextW(item.hwndItem, text, 16);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (pressed)
        OffsetRect(&face, 0, pixel);
    DrawTextW(dc, text, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
}
