// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "ControlArray.h"
#include "AnswerButton.h"

#include <QButtonGroup>

ControlArray::ControlArray(AnswerButton *element0, QObject *parent)
    : QObject(parent)
    , m_group(new QButtonGroup(this))
{
    // Plain push buttons: none stays pressed, so no exclusivity either.
    m_group->setExclusive(false);
    m_group->addButton(element0, 0);
    connect(m_group, &QButtonGroup::idClicked, this, &ControlArray::clicked);
}

AnswerButton *ControlArray::load(int index)
{
    // Elements come one after another, as the start creates them.
    Q_ASSERT(index == count());
    const AnswerButton *model = item(0);
    auto *button = new AnswerButton(model->text(), model->parentWidget());
    button->setFont(model->font());
    button->setGeometry(model->geometry());
    button->setVisible(false);
    m_group->addButton(button, index);
    return button;
}

AnswerButton *ControlArray::item(int index) const
{
    // The group lists its buttons in the order they were added, which is
    // the order of their ids; looking one up by id would search them all.
    return static_cast<AnswerButton *>(m_group->buttons().value(index));
}

int ControlArray::count() const
{
    return static_cast<int>(m_group->buttons().size());
}

AnswerButton *ControlArray::carrying(int age) const
{
    const QString caption = QString::number(age);
    for (int index = 0; index < count(); ++index)
        if (AnswerButton *button = item(index); !button->isHidden() && button->text() == caption)
            return button;
    return nullptr;
}
