// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

class AnswerButton;
class QButtonGroup;

// The answer buttons as one array: element 0 comes with the window, the
// others are created at run time in its likeness, and a click on any of
// them reports its index. The index is the button's id in a button group.
class ControlArray : public QObject
{
    Q_OBJECT

public:
    explicit ControlArray(AnswerButton *element0, QObject *parent = nullptr);

    // Creates element `index`, the next one, with element 0's font, size,
    // place and caption.
    AnswerButton *load(int index);
    // The element at `index`, or nullptr when there is none.
    AnswerButton *item(int index) const;
    int count() const;
    // The shown element whose caption is `age`, or nullptr: with the age
    // on the disc, the right answer.
    AnswerButton *carrying(int age) const;

signals:
    void clicked(int index);

private:
    QButtonGroup *m_group;
};
