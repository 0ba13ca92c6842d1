// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

// The two button styles of the game's message boxes and the three answers
// they give back. Every box has no icon and makes its first button the
// default; only Yes counts as yes.
enum class BoxCode {
    OkOnly = 0, // one button, OK
    YesNo = 4,  // Yes, then No
    Ok = 1,
    Yes = 6,
    No = 7, // also a Yes/No box closed without an answer
};
