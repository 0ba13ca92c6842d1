// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QVector>

class AnswerButton;

// The answer buttons as one array: element 0 comes with the window, the
// others are created at run time in its likeness, and a click on any of
// them reports its index.
class ControlArray : public QObject
{
    Q_OBJECT

public:
    ControlArray(AnswerButton *element0, QObject *parent = nullptr);

    // Creates element `index`, the next one, with element 0's appearance
    // and design values.
    AnswerButton *load(int index);
    AnswerButton *item(int index) const { return m_elements.value(index); }
    int count() const { return static_cast<int>(m_elements.size()); }

signals:
    void clicked(int index);

private:
    void connectElement(AnswerButton *button, int index);

    QVector<AnswerButton *> m_elements;
};
