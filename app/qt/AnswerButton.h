// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QPushButton>

// An answer button: a flat face in the game's orange with the age centred
// on it. Painted by hand, since style sheets cost more to build and to paint
// than the whole rest of the window and the style's own buttons are shaded.
class AnswerButton : public QPushButton
{
    Q_OBJECT

public:
    static const QColor Face;

    explicit AnswerButton(const QString &text, QWidget *parent = nullptr);

    // The window's pixels per game pixel (Form1::zoom()): the edges are one
    // game pixel wide, also where the game area was made smaller to fit.
    void setGamePixel(qreal size) { m_gamePixel = size; }
    qreal gamePixel() const { return m_gamePixel; }

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // The focus frame shows only once the keyboard moved there: the focus
    // the window hands its first button on activation is no hint.
    bool m_keyboardFocus = false;
    qreal m_gamePixel = 1.0;
};
