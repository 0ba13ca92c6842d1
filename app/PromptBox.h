// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

class QWidget;

// The game's message boxes: modal over the window, no icon, the first
// button the default, and Japanese button texts whatever the locale.
class PromptBox
{
public:
    // Style 0 is OK alone, style 4 is Yes and No. Returns 1 for OK, 6 for
    // Yes and 7 for No (also when the box is closed without an answer).
    static int exec(QWidget *parent, const QString &prompt, int style, const QString &title);
};
