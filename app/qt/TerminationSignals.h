// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, Ctrl+C, a closing
// terminal) into a Qt signal delivered by the event loop, so that the game
// can close its window and save as its close button does. The handler
// itself only writes the signal's number into a socket pair; everything
// else happens in the event loop. One instance per process.
//
// A signal that was ignored when the game started (nohup, a background job
// of a script) stays ignored: whoever started the game asked for that.
// Once the game has saved, endByReceivedSignal() ends the process by the
// signal it got, so that a shell or a session manager sees why it ended.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the socket pair or a handler could not be set up; the
    // signals then keep the action they had.
    bool isWatching() const { return m_notifier != nullptr; }
    // The first signal that arrived through the event loop, or 0.
    int firstReceived() const { return m_firstReceived; }

    // When a signal has arrived: gives it back its default action and
    // raises it, which ends the process as that signal would have ended it
    // at once. Returns when none has arrived.
    void endByReceivedSignal();

signals:
    void received(int signalNumber);

private:
    void readPending();
    void restorePrevious();

    QSocketNotifier *m_notifier = nullptr;
    int m_firstReceived = 0;
};
