// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "BoxKinds.h"

#include <cstdint>
#include <optional>
#include <string>

// What the game flow asks of its window. The window implements it with real
// widgets; tests implement it with a recorder.
class FlowHost
{
public:
    virtual ~FlowHost() = default;

    // A modal box with no icon whose first button is the default.
    virtual BoxAnswer ShowBox(const std::string &prompt, BoxStyle style, const std::string &title) = 0;
    // The window's operations, named as the window names them.
    virtual void LoadBestTime() = 0;
    // The time the record holds now, or nothing when none can be read:
    // another copy of the game may have stored a better one since the load.
    virtual std::optional<std::int32_t> ReadBestTime() = 0;
    // Writes best tenths to the record at once, keeping the better of it and
    // the stored time; afterwards best tenths is the time the record keeps.
    // A save that fails leaves best tenths as it was.
    virtual void SaveBestTime() = 0;
    virtual void DrawDisc() = 0;
    virtual void LayoutBoard() = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;
    // Creates answer buttons 1 to 29 (button 0 exists from the start).
    virtual void CreateAnswerButtons() = 0;
    // Leaves the title screen: hides the title and seats the prompt, with
    // the question as its text, so that its lower edge is at `promptBottom`.
    virtual void ShowQuestion(const std::string &question, int promptBottom) = 0;
    // Closes the window; its close handler saves the best time.
    virtual void Unload() = 0;
};
