// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "ControlArray.h"
#include "AnswerButton.h"

#include <cstddef>

ControlArray::ControlArray(AnswerButton *element0, QObject *parent)
    : QObject(parent)
{
    append(element0);
}

AnswerButton *ControlArray::load(int index)
{
    // Elements come one after another, as the start creates them.
    Q_ASSERT(index == count());
    const AnswerButton *model = item(0);
    auto *button = new AnswerButton(model->text(), model->parentWidget());
    button->setFont(model->font());
    button->setGamePixel(model->gamePixel());
    button->setGeometry(model->geometry());
    button->setVisible(false);
    append(button);
    return button;
}

AnswerButton *ControlArray::item(int index) const
{
    return m_elements.at(static_cast<std::size_t>(index));
}

void ControlArray::append(AnswerButton *button)
{
    const int index = count();
    m_elements.push_back(button);
    connect(button, &AnswerButton::clicked, this, [this, index] { emit clicked(index); });
}
