// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "AnswerButton.h"
#include "app/FormDesign.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

const QColor AnswerButton::Face = QColor::fromRgba(FormDesign::ButtonFace);

namespace {
const QColor Edge = QColor::fromRgba(FormDesign::ButtonShade);
}

AnswerButton::AnswerButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    // Tab reaches the buttons and Return answers the focused one, as Space
    // does; a mouse click leaves no focus frame behind.
    setAutoDefault(true);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void AnswerButton::focusInEvent(QFocusEvent *event)
{
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        m_keyboardFocus = true;
    else if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        m_keyboardFocus = false;
    QPushButton::focusInEvent(event);
}

void AnswerButton::keyPressEvent(QKeyEvent *event)
{
    // A held Return repeats: its repeats close the box that its first press
    // opened, and the focus then comes back here, to a button that carries
    // another number by then. Only a fresh press answers.
    const bool returnKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (returnKey && event->isAutoRepeat()) {
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void AnswerButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Face);

    // A pressed button shows a heavier edge and its text one pixel lower,
    // all in game pixels.
    painter.save();
    painter.scale(m_gamePixel, m_gamePixel);
    const QRectF face(0, 0, width() / m_gamePixel, height() / m_gamePixel);
    painter.setPen(Edge);
    painter.drawRect(face.adjusted(0, 0, -1, -1));
    if (isDown())
        painter.drawRect(face.adjusted(1, 1, -2, -2));
    if (hasFocus() && m_keyboardFocus) {
        painter.setPen(QPen(Edge, 1, Qt::DotLine));
        painter.drawRect(face.adjusted(3, 3, -4, -4));
    }
    painter.restore();
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(isDown() ? QRectF(rect()).translated(0, m_gamePixel) : QRectF(rect()), Qt::AlignCenter,
                     text());
}
