// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "app/BoxKinds.h"

#include <QString>

class QWidget;

// The game's message boxes: modal over the window, no icon, the first
// button the default, and Japanese button texts whatever the locale.
class PromptBox
{
public:
    // Shows the box and waits for its answer.
    static BoxAnswer exec(QWidget *parent, const QString &prompt, BoxStyle style, const QString &title);
};
