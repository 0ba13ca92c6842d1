// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "PromptBox.h"

#include <QMessageBox>
#include <QList>
#include <QPushButton>

#include <string>

BoxAnswer PromptBox::exec(QWidget *parent, const QString &prompt, BoxStyle style, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    // The game's buttons in order; the first is the default and the last
    // answers Escape, as closing the box does.
    QList<QPushButton *> buttons;
    for (const std::string &caption : boxButtons(style))
        buttons.append(box.addButton(QString::fromStdString(caption), QMessageBox::ActionRole));
    box.setDefaultButton(buttons.first());
    box.setEscapeButton(buttons.last());
    box.exec();
    return boxAnswer(style, static_cast<int>(buttons.indexOf(box.clickedButton())));
}
