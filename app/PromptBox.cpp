// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "PromptBox.h"

#include <QMessageBox>
#include <QPushButton>

BoxCode PromptBox::exec(QWidget *parent, const QString &prompt, BoxCode style, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    if (style == BoxCode::YesNo) {
        QPushButton *yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? BoxCode::Yes : BoxCode::No;
    }
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return BoxCode::Ok;
}
