// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "app/FormDesign.h"
#include "render/win32/DpiScale.h"

#include <windows.h>

#include <string>
#include <utility>

// A label with a transparent background: only its text is painted, over
// the drawing surface, centred across the label from its top edge. The
// window paints it and takes its clicks; it is no window of its own, so the
// surface shows through everywhere but under the letters.
struct TextLabel
{
    static constexpr COLORREF TextColour = FormDesign::bgr(FormDesign::LabelText);

    int left;
    int top;
    int width;
    int height;
    std::wstring caption;
    bool wordWrap;
    bool visible = true;

    // Where it lies on the device, its edges scaled.
    RECT deviceRect(DpiScale scale) const
    {
        return {scale.px(left), scale.px(top), scale.px(left + width), scale.px(top + height)};
    }

    bool contains(POINT device, DpiScale scale) const
    {
        const RECT rect = deviceRect(scale);
        return visible && PtInRect(&rect, device);
    }

    // The label of the design at `rect`.
    static TextLabel designed(const FormDesign::Rect &rect, std::wstring caption, bool wordWrap)
    {
        return {rect.left, rect.top, rect.width, rect.height, std::move(caption), wordWrap};
    }

    void paint(HDC dc, HFONT font, DpiScale scale) const
    {
        if (!visible)
            return;
        RECT rect = deviceRect(scale);
        HGDIOBJ previous = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, TextColour);
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect,
                  DT_CENTER | DT_TOP | DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : 0));
        SelectObject(dc, previous);
    }
};
