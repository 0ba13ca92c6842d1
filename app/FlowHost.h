// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "BoxCode.h"

#include <string>

// What the game flow asks of its window. The window implements it with real
// widgets; tests implement it with a recorder.
class FlowHost
{
public:
    virtual ~FlowHost() = default;

    // A modal box with no icon whose first button is the default.
    virtual BoxCode messageBox(const std::string &prompt, BoxCode style, const std::string &title) = 0;
    // The window's operations, named as the window names them.
    virtual void LoadBestTime() = 0;
    // Writes the best time to the record file at once, as a new best is set.
    virtual void saveBestTime() = 0;
    virtual void DrawDisc() = 0;
    virtual void LayoutBoard() = 0;
    virtual void setTimerEnabled(bool enabled) = 0;
    // Creates answer buttons 1 to 29 (button 0 exists from the start).
    virtual void createAnswerButtons() = 0;
    // Leaves the title screen: hides the title and seats the prompt, with
    // the question as its text, so that its lower edge is at `promptBottom`.
    virtual void showQuestion(const std::string &question, int promptBottom) = 0;
    // Closes the window; its close handler saves the best time.
    virtual void unload() = 0;
};
