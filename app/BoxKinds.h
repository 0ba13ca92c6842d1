// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

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
