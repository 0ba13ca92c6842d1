// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

#include <vector>

class AnswerButton;

// The answer buttons as one array: element 0 comes with the window, the
// others are created at run time in its likeness, and a click on any of
// them reports its index. The array keeps its elements in index order.
class ControlArray : public QObject
{
    Q_OBJECT

public:
    explicit ControlArray(AnswerButton *element0, QObject *parent = nullptr);

    // Creates element `index`, the next one, with element 0's font, size,
    // place and caption.
    AnswerButton *load(int index);
    // The element at `index`, never null: asking for one that does not
    // exist throws std::out_of_range.
    AnswerButton *item(int index) const;
    int count() const { return static_cast<int>(m_elements.size()); }

signals:
    void clicked(int index);

private:
    void append(AnswerButton *button);

    // Owned by their parent widget, like every control of the window.
    std::vector<AnswerButton *> m_elements;
};
