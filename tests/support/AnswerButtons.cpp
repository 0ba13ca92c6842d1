// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "AnswerButtons.h"

#include "app/qt/AnswerButton.h"
#include "app/qt/ControlArray.h"
#include "app/qt/Form1.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

AnswerButton &buttonCarrying(const ControlArray &buttons, int age)
{
    const QString caption = QString::number(age);
    for (int index = 0; index < buttons.count(); ++index)
        if (AnswerButton *button = buttons.item(index); !button->isHidden() && button->text() == caption)
            return *button;
    std::fprintf(stderr, "no shown answer button carries the age %d\n", age);
    std::abort();
}

AnswerButton &rightAnswerButton(const Form1 &form)
{
    return buttonCarrying(*form.Command1(), form.state().answerAge);
}
