// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// The Linux window on two screens of its own (Qt's offscreen platform, whose
// sizes are in the screen's logical pixels): a small dense one, 1024 x 600
// device pixels at scale 2, where the game area must take a
// smaller scale to fit, and a large plain one, where it must not stay that
// small.
#include "app/qt/ClickLabel.h"
#include "app/qt/ControlArray.h"
#include "app/qt/AnswerButton.h"
#include "app/qt/Form1.h"
#include "app/qt/SurfaceWidget.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QStyleFactory>
#include <QTemporaryFile>
#include <QWindow>

#include <gtest/gtest.h>

TEST(ScreenMove, TheGameAreaTakesTheScaleThatFitsEachScreen)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2);
    QScreen *dense = screens[0], *plain = screens[1];
    ASSERT_EQ(dense->devicePixelRatio(), 2.0);

    Form1::Seams seams;
    seams.recordPath = QStringLiteral("/nonexistent/HighScore.mtt");
    seams.random = [] { return 0.5; };
    seams.messageBox = [](const QString &, BoxStyle, const QString &) { return BoxAnswer::Ok; };
    Form1 form(seams);
    form.show();
    ASSERT_EQ(form.screen(), dense);
    // 900 device pixels high at scale 2: the game area shows at scale 1.
    EXPECT_EQ(form.zoom(), 0.5);
    EXPECT_EQ(form.clientArea()->size(), QSize(100, 225));
    EXPECT_TRUE(dense->availableGeometry().contains(form.frameGeometry()));
    emit form.Label1()->clicked();
    const QString caption = form.Command1()->item(1)->text();
    EXPECT_EQ(form.Command1()->item(1)->geometry(), QRect(50, 130, 45, 45));

    // On the plain screen the game area is whole again, the stage kept.
    form.windowHandle()->setScreen(plain);
    EXPECT_EQ(form.zoom(), 1.0);
    EXPECT_EQ(form.clientArea()->size(), QSize(200, 450));
    EXPECT_EQ(form.Command1()->item(1)->geometry(), QRect(100, 260, 90, 90));
    EXPECT_EQ(form.Command1()->item(1)->gamePixel(), 1.0);
    EXPECT_EQ(form.Label2()->geometry().bottom() + 1, 260); // the question on the board
    EXPECT_EQ(form.Command1()->item(1)->text(), caption);
    EXPECT_TRUE(plain->availableGeometry().contains(form.frameGeometry()));

    // And back: smaller again, inside the dense screen.
    form.windowHandle()->setScreen(dense);
    EXPECT_EQ(form.zoom(), 0.5);
    EXPECT_EQ(form.Command1()->item(1)->geometry(), QRect(50, 130, 45, 45));
    EXPECT_EQ(form.Label2()->geometry().bottom() + 1, 130);
    EXPECT_TRUE(dense->availableGeometry().contains(form.frameGeometry()));
}

int main(int argc, char **argv)
{
    QTemporaryFile screens;
    if (!screens.open()
        || screens.write(R"({"screens": [
            {"name": "dense", "x": 0, "y": 0, "width": 512, "height": 300, "dpr": 2},
            {"name": "plain", "x": 512, "y": 0, "width": 1280, "height": 1024, "dpr": 1}]})")
               < 0
        || !screens.flush())
        return 1;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
