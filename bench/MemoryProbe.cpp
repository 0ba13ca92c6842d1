// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// Resident memory of the game, each case in a process of its own:
//   memory_probe form    peak after creating, showing and painting Form1
//   memory_probe bare    the same for a bare window with a menu bar and a label
//   memory_probe games   resident memory after 1 and after 1,000 games
// Prints one line "name kib".
#include "BareWindow.h"
#include "BenchGame.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>

#include <cstdio>
#include <cstring>

namespace {
long statusKib(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLong();
    return -1;
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}
}

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const char *mode = argc > 1 ? argv[1] : "";

    if (std::strcmp(mode, "form") == 0) {
        BenchGame game;
        game.form().show();
        settle();
        std::printf("form_peak %ld\n", statusKib("VmHWM"));
    } else if (std::strcmp(mode, "bare") == 0) {
        BareWindow window;
        window.show();
        settle();
        std::printf("bare_peak %ld\n", statusKib("VmHWM"));
    } else if (std::strcmp(mode, "games") == 0) {
        BenchGame game;
        game.form().show();
        game.start();
        game.playOne(1);
        settle();
        std::printf("after_1_game %ld\n", statusKib("VmRSS"));
        for (unsigned i = 2; i <= 1000; ++i) {
            game.playOne(i);
            if (i % 50 == 0)
                settle();
        }
        settle();
        std::printf("after_1000_games %ld\n", statusKib("VmRSS"));
    } else {
        std::fprintf(stderr, "usage: %s form|bare|games\n", argv[0]);
        return 2;
    }
    return 0;
}
