#include "ControlArray.h"

#include "AnswerButton.h"

#include <algorithm>

ControlArray::ControlArray(AnswerButton *element0, QObject *parent)
    : QObject(parent)
{
    m_elements.append(element0);
    connectElement(element0, 0);
}

AnswerButton *ControlArray::load(int index)
{
    Q_ASSERT(index > 0 && !item(index));
    const AnswerButton *model = m_elements.first();
    auto *button = new AnswerButton(model->text(), model->parentWidget());
    button->setFont(model->font());
    button->setGeometry(model->geometry());
    button->setVisible(false);
    if (m_elements.size() <= index)
        m_elements.resize(index + 1);
    m_elements[index] = button;
    connectElement(button, index);
    return button;
}

int ControlArray::count() const
{
    return static_cast<int>(std::count_if(m_elements.cbegin(), m_elements.cend(),
                                          [](AnswerButton *b) { return b != nullptr; }));
}

void ControlArray::connectElement(AnswerButton *button, int index)
{
    connect(button, &AnswerButton::clicked, this, [this, index] { emit clicked(index); });
}
