// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "PromptBox.h"

#include <QMessageBox>
#include <QPushButton>

BoxAnswer PromptBox::exec(QWidget *parent, const QString &prompt, BoxStyle style, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    if (style == BoxStyle::YesNo) {
        QPushButton *yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? BoxAnswer::Yes : BoxAnswer::No;
    }
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return BoxAnswer::Ok;
}
