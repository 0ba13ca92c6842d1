// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/qt/TerminationSignals.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <csignal>

// Each signal arrives as a Qt signal through the event loop, in order, and
// the process lives on to handle it.
TEST(TerminationSignals, ArriveInTheEventLoop)
{
    TerminationSignals watcher;
    ASSERT_TRUE(watcher.isWatching());
    QSignalSpy spy(&watcher, &TerminationSignals::received);
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ASSERT_EQ(std::raise(signalNumber), 0);
    // The handler only wrote bytes; they are read once the loop runs.
    EXPECT_EQ(spy.count(), 0);
    spy.wait(2000);
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0).at(0).toInt(), SIGTERM);
    EXPECT_EQ(spy.at(1).at(0).toInt(), SIGINT);
    EXPECT_EQ(spy.at(2).at(0).toInt(), SIGHUP);
}

// Once the watcher is gone the signals have their default action again.
TEST(TerminationSignals, RestoreTheDefaultWhenGone)
{
    {
        TerminationSignals watcher;
    }
    struct sigaction current {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
    TerminationSignals again;
    EXPECT_TRUE(again.isWatching());
}
