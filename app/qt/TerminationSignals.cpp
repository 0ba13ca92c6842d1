// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr std::array Watched{SIGTERM, SIGINT, SIGHUP};

// [0] is written by the handler, [1] read by the event loop.
int pipeEnds[2] = {-1, -1};

// Per watched signal: whether the handler is in place, and the action it
// replaced, put back when the watcher goes.
std::array<bool, Watched.size()> handled{};
std::array<struct sigaction, Watched.size()> previous{};

extern "C" void onTerminationSignal(int signalNumber)
{
    // Only async-signal-safe calls here: one byte into the socket.
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
    errno = savedErrno;
}

bool startedIgnored(const struct sigaction &action)
{
    return !(action.sa_flags & SA_SIGINFO) && action.sa_handler == SIG_IGN;
}

// Installs the handler for every watched signal that was not ignored at
// the start; false when one could not be installed.
bool installHandlers()
{
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < Watched.size(); ++i) {
        if (::sigaction(Watched[i], nullptr, &previous[i]) != 0)
            return false;
        if (startedIgnored(previous[i]))
            continue;
        if (::sigaction(Watched[i], &action, nullptr) != 0)
            return false;
        handled[i] = true;
    }
    return true;
}
} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    Q_ASSERT(pipeEnds[0] < 0);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0)
        return;
    if (!installHandlers()) {
        restorePrevious();
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
}

TerminationSignals::~TerminationSignals()
{
    restorePrevious();
    for (int &end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void TerminationSignals::restorePrevious()
{
    for (std::size_t i = 0; i < Watched.size(); ++i) {
        if (handled[i])
            ::sigaction(Watched[i], &previous[i], nullptr);
        handled[i] = false;
    }
}

void TerminationSignals::readPending()
{
    char byte = 0;
    while (::read(pipeEnds[1], &byte, 1) == 1) {
        const int signalNumber = static_cast<unsigned char>(byte);
        if (m_firstReceived == 0)
            m_firstReceived = signalNumber;
        emit received(signalNumber);
    }
}

void TerminationSignals::endByReceivedSignal()
{
    if (m_firstReceived == 0)
        return;
    std::fflush(nullptr);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    ::sigaction(m_firstReceived, &byDefault, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, m_firstReceived);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(m_firstReceived);
    // Not reached: the default action of each watched signal ends the
    // process. Should it not, the status still tells the signal as a
    // shell does.
    std::_Exit(128 + m_firstReceived);
}
