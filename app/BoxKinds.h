// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

// The game's message boxes: two button styles, and the answers they give
// back. Every box has no icon and makes its first button the default; only
// Yes counts as yes. Two types, so that an answer can never be passed where
// a style is meant.
enum class BoxStyle {
    OkOnly = 0, // one button, OK
    YesNo = 4,  // Yes, then No
};

enum class BoxAnswer {
    Ok = 1,
    Yes = 6,
    No = 7, // also a Yes/No box closed without an answer
};

// The buttons of a box, first to last, as the game words them; a platform
// may show its own system's wording instead, in the same order.
std::vector<std::string> boxButtons(BoxStyle style);
// The answer of a box whose button `pressed` was chosen (0 the first), or
// that was closed without one (-1, or any index the box does not have).
BoxAnswer boxAnswer(BoxStyle style, int pressed);
