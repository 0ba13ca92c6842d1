// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/qt/TerminationSignals.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace {
constexpr int Watched[] = {SIGTERM, SIGINT, SIGHUP};

void setAction(int signalNumber, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(signalNumber, &action, nullptr), 0);
}

void (*currentHandler(int signalNumber))(int)
{
    struct sigaction current {};
    EXPECT_EQ(::sigaction(signalNumber, nullptr, &current), 0);
    return current.sa_handler;
}

// Whatever started the tests (a background job of a script ignores SIGINT)
// does not decide what the cases below see.
void allByDefault()
{
    for (const int signalNumber : Watched)
        setAction(signalNumber, SIG_DFL);
}
} // namespace

// Each signal arrives as a Qt signal through the event loop, in order, and
// the process lives on to handle it.
TEST(TerminationSignals, ArriveInTheEventLoop)
{
    allByDefault();
    TerminationSignals watcher;
    ASSERT_TRUE(watcher.isWatching());
    QSignalSpy spy(&watcher, &TerminationSignals::received);
    for (const int signalNumber : Watched)
        ASSERT_EQ(std::raise(signalNumber), 0);
    // The handler only wrote bytes; they are read once the loop runs.
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(watcher.firstReceived(), 0);
    spy.wait(2000);
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0).at(0).toInt(), SIGTERM);
    EXPECT_EQ(spy.at(1).at(0).toInt(), SIGINT);
    EXPECT_EQ(spy.at(2).at(0).toInt(), SIGHUP);
    EXPECT_EQ(watcher.firstReceived(), SIGTERM);
}

// Once the watcher is gone the signals have their default action again,
// and without a signal received, the end of the game is an ordinary return.
TEST(TerminationSignals, RestoreTheDefaultWhenGone)
{
    allByDefault();
    {
        TerminationSignals watcher;
        watcher.endByReceivedSignal();
    }
    for (const int signalNumber : Watched)
        EXPECT_EQ(currentHandler(signalNumber), SIG_DFL) << signalNumber;
    TerminationSignals again;
    EXPECT_TRUE(again.isWatching());
}

// A signal ignored when the game starts (nohup ignores SIGHUP, a background
// job of a script SIGINT) stays ignored while the game runs and after it,
// and never reaches the window; the others still do.
TEST(TerminationSignals, IgnoredAtTheStartStayIgnored)
{
    for (const int ignored : Watched) {
        SCOPED_TRACE(ignored);
        allByDefault();
        setAction(ignored, SIG_IGN);
        {
            TerminationSignals watcher;
            ASSERT_TRUE(watcher.isWatching());
            QSignalSpy spy(&watcher, &TerminationSignals::received);
            for (const int signalNumber : Watched) {
                const auto handler = currentHandler(signalNumber);
                if (signalNumber == ignored)
                    EXPECT_EQ(handler, SIG_IGN);
                else
                    EXPECT_TRUE(handler != SIG_DFL && handler != SIG_IGN) << signalNumber;
            }
            ASSERT_EQ(std::raise(ignored), 0);
            const int other = ignored == SIGTERM ? SIGINT : SIGTERM;
            ASSERT_EQ(std::raise(other), 0);
            ASSERT_TRUE(spy.wait(2000));
            QCoreApplication::processEvents();
            ASSERT_EQ(spy.count(), 1);
            EXPECT_EQ(spy.at(0).at(0).toInt(), other);
            EXPECT_EQ(watcher.firstReceived(), other);
        }
        for (const int signalNumber : Watched)
            EXPECT_EQ(currentHandler(signalNumber), signalNumber == ignored ? SIG_IGN : SIG_DFL);
    }
    allByDefault();
}

// After the save the game ends by the signal it got, so that its parent
// sees that signal (a shell reports 128 + its number), even when the
// signal was blocked at that moment; a later one does not change it.
TEST(TerminationSignals, EndByTheFirstSignalReceived)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const int signalNumber : Watched) {
        EXPECT_EXIT(
            {
                allByDefault();
                TerminationSignals watcher;
                QSignalSpy spy(&watcher, &TerminationSignals::received);
                std::raise(signalNumber);
                std::raise(signalNumber == SIGHUP ? SIGTERM : SIGHUP);
                while (spy.count() < 2 && spy.wait(2000)) {
                }
                if (spy.count() != 2 || watcher.firstReceived() != signalNumber)
                    std::exit(3);
                sigset_t blocked;
                sigemptyset(&blocked);
                sigaddset(&blocked, signalNumber);
                pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
                watcher.endByReceivedSignal();
                std::exit(4);
            },
            testing::KilledBySignal(signalNumber), "")
            << signalNumber;
    }
}
