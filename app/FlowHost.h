// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "BoxKinds.h"
#include "../board/BoardRect.h"

#include <cstdint>
#include <string>

// Everything a front-end gives the game: the platform calls that GameFlow
// makes on its window. A new front-end implements this list and forwards
// its window's events to GameFlow; it decides nothing itself. Positions
// and sizes are in the window's own pixels: the game's pixels scaled by the
// host's board() (the same on a screen of ordinary density).
class FlowHost
{
public:
    virtual ~FlowHost() = default;

    // A modal box with no icon whose first button is the default.
    virtual BoxAnswer ShowBox(const std::string &prompt, BoxStyle style, const std::string &title) = 0;

    // The drawing surface, in game pixels: filled with the background,
    // a block of 0xAARRGGBB pixels put on it, and shown.
    virtual void Cls() = 0;
    virtual void CopyBlock(int left, int top, int width, int height, const std::uint32_t *pixels) = 0;
    virtual void Refresh() = 0;

    // The board rectangle in the window's pixels.
    virtual BoardRect DeviceBoard(const BoardRect &board) const { return board; }
    // Shows answer button `index` and sizes it; the size it took, which a
    // window system may round, decides where it goes.
    struct Size
    {
        int width = 0;
        int height = 0;
    };
    virtual Size SizeButton(int index, int width, int height) = 0;
    virtual void PlaceButton(int index, int left, int top) = 0;
    virtual void SetCaption(int index, const std::string &caption) = 0;
    virtual std::string Caption(int index) const = 0;
    virtual void HideButton(int index) = 0;
    // Creates answer buttons 1 to 29 (button 0 exists from the start).
    virtual void CreateAnswerButtons() = 0;

    virtual void SetTimerEnabled(bool enabled) = 0;
    // Leaves the title screen: hides the title and seats the prompt, with
    // the question as its text, so that its lower edge is at `promptBottom`.
    virtual void ShowQuestion(const std::string &question, int promptBottom) = 0;
    // The closing, in its order: the window leaves the screen (no longer
    // drawn, no input) though the program goes on; an open box goes away as
    // if closed without an answer; after the last save the window ends and,
    // with it, the run (a page shows a fresh title screen instead).
    virtual void HideWindow() = 0;
    virtual void DismissBox() = 0;
    virtual void Unload() = 0;
    // Tells the player that the best time could not be saved, in one line,
    // where the platform keeps such lines (standard error, the debugger's
    // output, the console).
    virtual void ReportSaveFailure(const std::string &line) = 0;
    // The drawn disc in words (DiscText), handed over with its picture so
    // that a screen reader tells what the window shows.
    virtual void DescribeDisc(const std::string &text) = 0;
};
