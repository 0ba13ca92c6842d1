// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/qt/PromptBox.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
struct Seen
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Information;
    QStringList buttons;
    QString defaultButton;
    bool modal = false;
};

// Opens a box, looks at it once it is up, then presses `key` in it. When no
// box comes up the test fails instead of waiting forever: every dialog
// still open after two seconds is closed.
BoxAnswer openAndPress(const QString &prompt, BoxStyle style, const QString &title, Qt::Key key,
                     Seen &seen)
{
    QWidget parent;
    parent.show();
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.modal = box->isModal();
        for (QAbstractButton *button : box->buttons())
            seen.buttons << button->text();
        seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(box, key);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        ADD_FAILURE() << "no modal message box to answer";
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible())
                dialog->reject();
    });
    watchdog.start(2000);
    return PromptBox::exec(&parent, prompt, style, title);
}
} // namespace

TEST(PromptBox, RetryQuestionInJapaneseWithYesFirst)
{
    Seen seen;
    EXPECT_EQ(openAndPress(QStringLiteral("また挑戦しますか？"), BoxStyle::YesNo, QStringLiteral("Tamblo"),
                           Qt::Key_Return, seen),
              BoxAnswer::Yes);
    EXPECT_EQ(seen.title, QStringLiteral("Tamblo"));
    EXPECT_EQ(seen.text, QStringLiteral("また挑戦しますか？"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_TRUE(seen.modal);
    EXPECT_TRUE(seen.buttons.contains(QStringLiteral("はい")));
    EXPECT_TRUE(seen.buttons.contains(QStringLiteral("いいえ")));
    EXPECT_EQ(seen.defaultButton, QStringLiteral("はい"));

    Seen escaped;
    EXPECT_EQ(openAndPress(QStringLiteral("また挑戦しますか？"), BoxStyle::YesNo, QStringLiteral("Tamblo"),
                           Qt::Key_Escape, escaped),
              BoxAnswer::No);
}

TEST(PromptBox, OkBoxKeepsItsTextExactly)
{
    Seen seen;
    const QString prompt = QStringLiteral("ゲームクリア!\r\n\r\n所要時間 123.4秒");
    EXPECT_EQ(openAndPress(prompt, BoxStyle::OkOnly, QStringLiteral("ハイスコア"), Qt::Key_Return, seen),
              BoxAnswer::Ok);
    EXPECT_EQ(seen.text, prompt);
    EXPECT_EQ(seen.title, QStringLiteral("ハイスコア"));
    EXPECT_EQ(seen.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(seen.defaultButton, QStringLiteral("OK"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
}
