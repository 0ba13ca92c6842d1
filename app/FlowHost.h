// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <string>

// What the game flow asks of its window. The window implements it with real
// widgets; tests implement it with a recorder.
class FlowHost
{
public:
    // Button styles and answers of the game's message boxes.
    enum BoxStyle { OkOnly = 0, YesNo = 4 };
    enum BoxAnswer { Ok = 1, Yes = 6, No = 7 };

    virtual ~FlowHost() = default;

    // A modal box with no icon whose first button is the default.
    virtual int messageBox(const std::string &prompt, int style, const std::string &title) = 0;
    virtual void loadBestTime() = 0;
    // Writes the best time to the record file at once, as a new best is set.
    virtual void saveBestTime() = 0;
    virtual void drawDisc() = 0;
    virtual void layoutBoard() = 0;
    virtual void setTimerEnabled(bool enabled) = 0;
    // Creates answer buttons 1 to 29 (button 0 exists from the start).
    virtual void createAnswerButtons() = 0;
    // Leaves the title screen: hides the title and seats the prompt, with
    // the question as its text, so that its lower edge is at `promptBottom`.
    virtual void showQuestion(const std::string &question, int promptBottom) = 0;
    // Closes the window; its close handler saves the best time.
    virtual void unload() = 0;
};
