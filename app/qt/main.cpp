// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "Form1.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>

namespace {
// Qt aborts with a long message when it finds no display; say it plainly.
// A platform chosen by hand that needs no display (offscreen, vnc) is
// trusted as it is.
bool hasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}
}

int main(int argc, char *argv[])
{
    if (!hasDisplay()) {
        std::fputs("tamblo: no display found; run it on a desktop (DISPLAY or WAYLAND_DISPLAY unset).\n",
                   stderr);
        return EXIT_FAILURE;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tamblo"));
    // One look everywhere: the orange buttons and yellow labels sit on a
    // plain style, not on whatever the desktop theme draws.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(Form1::icon());

    Form1 window;
    // A logout, a shutdown or a closing terminal ends the game as its close
    // button would, saving on the way; then the program ends by that very
    // signal, so that a shell (128 + its number) or a session manager sees
    // why, and a shell loop stops on Ctrl+C.
    TerminationSignals terminations;
    QObject::connect(&terminations, &TerminationSignals::received, &window, &Form1::requestClose);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, &Form1::endSession);
    window.show();
    const int status = app.exec();
    terminations.endByReceivedSignal();
    return status;
}
