// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/win32/FontSet.h"
#include "app/FormDesign.h"

#include <cwchar>
#include <cstddef>

namespace {
// The Gothic of the buttons and the prompt, bold.
constexpr FontSet::Face GothicFaces[] = {
    {L"ＭＳ Ｐゴシック", FW_BOLD},
    {L"MS PGothic", FW_BOLD},
    {L"Meiryo", FW_BOLD},
    {L"Yu Gothic UI", FW_BOLD},
    {L"Noto Sans CJK JP", FW_BOLD},
    {L"IPAPGothic", FW_BOLD},
};

// The title's heavy pop face; where no such face is there, the heaviest
// Gothic at hand.
constexpr FontSet::Face TitleFaces[] = {
    {L"HG創英角ﾎﾟｯﾌﾟ体", FW_NORMAL},
    {L"HGP創英角ﾎﾟｯﾌﾟ体", FW_NORMAL},
    {L"HGS創英角ﾎﾟｯﾌﾟ体", FW_NORMAL},
    {L"Noto Sans CJK JP Black", FW_NORMAL},
    {L"Yu Gothic UI", FW_BLACK},
    {L"Meiryo", FW_BOLD},
    {L"ＭＳ Ｐゴシック", FW_BOLD},
    {L"MS PGothic", FW_BOLD},
    {L"Noto Sans CJK JP", FW_BLACK},
};

int CALLBACK noteFound(const LOGFONTW *, const TEXTMETRICW *, DWORD, LPARAM found)
{
    *reinterpret_cast<bool *>(found) = true;
    return 0; // one is enough
}

bool installed(const wchar_t *face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, noteFound, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// The first face of the list that is installed, or the list's last, which
// the font mapper then replaces by a Japanese face of its own choice.
template <std::size_t N>
const FontSet::Face &firstInstalled(const FontSet::Face (&faces)[N])
{
    for (const FontSet::Face &face : faces) {
        if (installed(face.name))
            return face;
    }
    return faces[N - 1];
}

HFONT makeFont(const FontSet::Face &face, int gamePixels, DpiScale scale)
{
    // A negative height asks for the character height, without the
    // internal leading: the size a font's pixel size names.
    return CreateFontW(-scale.px(gamePixels), 0, 0, 0, face.weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, face.name);
}
} // namespace

const FontSet::Face &FontSet::gothicFace()
{
    // Fonts are looked up once per run: the list of the system's faces is
    // long, and a new density needs the same faces.
    static const Face &face = firstInstalled(GothicFaces);
    return face;
}

const FontSet::Face &FontSet::titleFace()
{
    static const Face &face = firstInstalled(TitleFaces);
    return face;
}

FontSet::FontSet(DpiScale scale)
    : m_button(makeFont(gothicFace(), FormDesign::ButtonFont.pixels, scale))
    , m_prompt(makeFont(gothicFace(), FormDesign::PromptFont.pixels, scale))
    , m_title(makeFont(titleFace(), FormDesign::TitleFont.pixels, scale))
{
}

FontSet::~FontSet()
{
    DeleteObject(m_button);
    DeleteObject(m_prompt);
    DeleteObject(m_title);
}
