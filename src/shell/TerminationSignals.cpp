// A self-pipe carries each termination signal from its handler to the event loop.
#include "shell/TerminationSignals.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// A signal handler can reach nothing but a global; it only ever writes to this descriptor.
volatile sig_atomic_t g_signalPipe = -1;

void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a request to close; one more byte adds nothing.
    [[maybe_unused]] const auto written = ::write(g_signalPipe, &number, 1);
    errno = savedErrno;
}

}  // namespace

TTerminationSignals::TTerminationSignals(QObject* parent) : QObject(parent) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("Cannot create the signal pipe");
    }
    m_readFd = fds[0];
    m_writeFd = fds[1];
    g_signalPipe = m_writeFd;
    m_notifier = std::make_unique<QSocketNotifier>(m_readFd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TTerminationSignals::Drain);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigset_t handled;
    sigemptyset(&handled);
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], &action, &m_previous[i]);
        sigaddset(&handled, kSignals[i]);
    }
    // A program started with these signals blocked (as some launchers do) must still hear them;
    // one that arrived meanwhile is handled now.
    ::pthread_sigmask(SIG_UNBLOCK, &handled, nullptr);
}

TTerminationSignals::~TTerminationSignals() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    g_signalPipe = -1;
    m_notifier.reset();
    ::close(m_readFd);
    ::close(m_writeFd);
}

void TTerminationSignals::Drain() {
    unsigned char number = 0;
    while (::read(m_readFd, &number, 1) == 1) {
        emit Received(number);
    }
}
