// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "render/win32/DpiScale.h"

#include <windows.h>

#include <string>

// The window's three fonts at one screen density: the bold Gothic of the
// answer buttons and of the prompt, and the pop display face of the title,
// at the design's sizes, all with the Japanese character set. Sizes are
// character heights in game pixels, scaled to the density.
//
// Each face is the first of a short list that this system has: the game's
// own faces first, then proportional Japanese Gothic faces that Windows
// brings, then the Noto faces that Linux desktops (and so Wine) bring.
class FontSet
{
public:
    struct Face
    {
        const wchar_t *name;
        int weight;
    };

    explicit FontSet(DpiScale scale);
    ~FontSet();
    FontSet(const FontSet &) = delete;
    FontSet &operator=(const FontSet &) = delete;

    HFONT button() const { return m_button; }
    HFONT prompt() const { return m_prompt; }
    HFONT title() const { return m_title; }

    // The faces in use, as the system names them.
    static const Face &gothicFace();
    static const Face &titleFace();

private:
    HFONT m_button;
    HFONT m_prompt;
    HFONT m_title;
};
