// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/win32/DiscLabel.h"
#include "render/PhaseDisc.h"

#include <stdexcept>
#include <string>

DiscLabel::DiscLabel(HWND parent, DpiScale scale)
{
    // No SS_NOTIFY: clicks go through to the window, as if it were not
    // there. Not a tab stop: the keyboard moves among the answers only.
    const RECT rect = deviceRect(scale);
    m_hwnd = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_OWNERDRAW, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)),
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!m_hwnd)
        throw std::runtime_error("the disc's label could not be created (error " + std::to_string(GetLastError())
                                 + ")");
}

RECT DiscLabel::deviceRect(DpiScale scale)
{
    const int right = PhaseDisc::Left + PhaseDisc::Side;
    const int bottom = PhaseDisc::Top + PhaseDisc::Side;
    return {scale.px(PhaseDisc::Left), scale.px(PhaseDisc::Top), scale.px(right), scale.px(bottom)};
}

RECT DiscLabel::place() const
{
    RECT rect;
    GetWindowRect(m_hwnd, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(m_hwnd), reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

void DiscLabel::describe(const std::wstring &text)
{
    SetWindowTextW(m_hwnd, text.c_str());
    ShowWindow(m_hwnd, SW_SHOWNA);
}

void DiscLabel::setScale(DpiScale scale)
{
    const RECT rect = deviceRect(scale);
    SetWindowPos(m_hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void DiscLabel::invalidate() const
{
    InvalidateRect(m_hwnd, nullptr, FALSE);
}
