// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "AnswerButton.h"
#include "app/FormDesign.h"

#include <QFocusEvent>
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

void AnswerButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect face = rect();
    painter.fillRect(face, Face);

    // A pressed button shows a heavier edge and its text one pixel lower.
    painter.setPen(Edge);
    painter.drawRect(face.adjusted(0, 0, -1, -1));
    if (isDown())
        painter.drawRect(face.adjusted(1, 1, -2, -2));
    if (hasFocus() && m_keyboardFocus) {
        painter.setPen(QPen(Edge, 1, Qt::DotLine));
        painter.drawRect(face.adjusted(3, 3, -4, -4));
    }
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(isDown() ? face.translated(0, 1) : face, Qt::AlignCenter, text());
}
