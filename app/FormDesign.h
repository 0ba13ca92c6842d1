// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

// The window as it is designed, in game pixels: the one table that every
// front-end builds its window from (the web page from the CSS that the
// build writes from it). The captions are GameFlow's.
namespace FormDesign {
struct Rect
{
    int left;
    int top;
    int width;
    int height;
};

// A face the game was designed in, at a character height in game pixels.
// Each front-end names the faces its platforms carry after it.
struct Font
{
    const char *face;
    int pixels;
    int weight; // 400 regular, 700 bold
};

// 0xAARRGGBB, and its parts.
constexpr int red(std::uint32_t argb) { return static_cast<int>((argb >> 16) & 0xFFu); }
constexpr int green(std::uint32_t argb) { return static_cast<int>((argb >> 8) & 0xFFu); }
constexpr int blue(std::uint32_t argb) { return static_cast<int>(argb & 0xFFu); }
// 0x00BBGGRR, the order in which some platforms keep a colour.
constexpr std::uint32_t bgr(std::uint32_t argb)
{
    return static_cast<std::uint32_t>(blue(argb) << 16 | green(argb) << 8 | red(argb));
}

inline constexpr int ClientWidth = 200;
inline constexpr int ClientHeight = 450;
inline constexpr std::uint32_t Background = 0xFF000040u; // RGB(0, 0, 64)
inline constexpr std::uint32_t LabelText = 0xFFFFFF00u;  // RGB(255, 255, 0)
inline constexpr std::uint32_t ButtonFace = 0xFFFF8000u; // RGB(255, 128, 0)
// The face at half its brightness: the shaded edge of a raised button.
inline constexpr std::uint32_t ButtonShade = 0xFF804000u;
// The lit edge of a raised button, where a platform draws its own bevel
// (the page's outset border) rather than the shaded one above.
inline constexpr std::uint32_t ButtonLight = 0xFFFFA040u;

// The controls, in stacking order from the bottom. Both labels are a pixel
// wider than the client area; the prompt reaches below it, and the title
// leaves its bottom row to the prompt.
inline constexpr Rect PromptLabel{0, 424, 201, 33};
inline constexpr Rect TitleLabel{0, 0, 201, 449};
// Answer button 0, hidden until the first stage; the others copy it.
inline constexpr Rect FirstButton{176, 424, 33, 33};
inline constexpr const char *FirstButtonCaption = "Command1";

inline constexpr Font ButtonFont{"ＭＳ Ｐゴシック", 21, 700};
inline constexpr Font PromptFont{"ＭＳ Ｐゴシック", 19, 700};
inline constexpr Font TitleFont{"HG創英角ﾎﾟｯﾌﾟ体", 48, 400};

// The timer's tick: a tenth of a second of play.
inline constexpr int TickMilliseconds = 100;
} // namespace FormDesign
