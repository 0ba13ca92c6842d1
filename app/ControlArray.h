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

    // Creates element `index` with element 0's appearance and design
    // values. Each index is created once.
    AnswerButton *load(int index);
    AnswerButton *item(int index) const { return m_elements.value(index); }
    int count() const;

signals:
    void clicked(int index);

private:
    void connectElement(AnswerButton *button, int index);

    QVector<AnswerButton *> m_elements;
};
