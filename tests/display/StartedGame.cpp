// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// The game's window on a real display, with a game started in it as a
// click on the title would start one: for displays where the test cannot
// send input (a headless Wayland compositor has no way to inject it).
// Usage: started_game <record file>. On SIGTERM it saves and ends by the
// signal, as the game does.
#include "app/qt/ClickLabel.h"
#include "app/qt/Form1.h"
#include "app/qt/TerminationSignals.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: started_game <record file>\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    Form1::Seams seams;
    seams.recordPath = QString::fromLocal8Bit(argv[1]);
    Form1 window(seams);
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::received, &window, &Form1::requestClose);
    window.show();
    QTimer::singleShot(500, &window, [&window] {
        QTest::mouseClick(window.Label1(), Qt::LeftButton, {}, window.Label1()->rect().center());
    });
    const int status = app.exec();
    terminations.endByReceivedSignal();
    return status;
}
