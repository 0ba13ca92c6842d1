// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "ControlArray.h"

#include "AnswerButton.h"

ControlArray::ControlArray(AnswerButton *element0, QObject *parent)
    : QObject(parent)
{
    m_elements.append(element0);
    connectElement(element0, 0);
}

AnswerButton *ControlArray::load(int index)
{
    // Elements come one after another, as the start creates them.
    Q_ASSERT(index == m_elements.size());
    const AnswerButton *model = m_elements.first();
    auto *button = new AnswerButton(model->text(), model->parentWidget());
    button->setFont(model->font());
    button->setGeometry(model->geometry());
    button->setVisible(false);
    m_elements.append(button);
    connectElement(button, index);
    return button;
}

void ControlArray::connectElement(AnswerButton *button, int index)
{
    connect(button, &AnswerButton::clicked, this, [this, index] { emit clicked(index); });
}
