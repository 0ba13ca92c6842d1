#include "ControlArray.h"

#include <QPushButton>

#include <algorithm>

ControlArray::ControlArray(QPushButton *element0, QObject *parent)
    : QObject(parent)
{
    m_elements.append(element0);
    connectElement(element0, 0);
}

QPushButton *ControlArray::load(int index)
{
    Q_ASSERT(index > 0 && !item(index));
    const QPushButton *model = m_elements.first();
    auto *button = new QPushButton(model->text(), model->parentWidget());
    button->setFont(model->font());
    button->setStyleSheet(model->styleSheet());
    button->setAutoDefault(model->autoDefault());
    button->setFocusPolicy(model->focusPolicy());
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
                                          [](QPushButton *b) { return b != nullptr; }));
}

void ControlArray::connectElement(QPushButton *button, int index)
{
    connect(button, &QPushButton::clicked, this, [this, index] { emit clicked(index); });
}
