#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The write end for the handler; -1 while no object is alive.
volatile std::sig_atomic_t g_writeEnd = -1;

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_pair.data()) != 0)
        return;
    g_writeEnd = m_pair[0];
    m_notifier = new QSocketNotifier(m_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::Read);

    struct sigaction action {};
    action.sa_handler = &TerminationSignals::Handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &m_previous[i]);
}

TerminationSignals::~TerminationSignals() {
    if (m_pair[0] < 0)
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &m_previous[i], nullptr);
    g_writeEnd = -1;
    ::close(m_pair[0]);
    ::close(m_pair[1]);
}

void TerminationSignals::Handle(int signalNumber) {
    const int savedErrno = errno;
    const int fd = g_writeEnd;
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // A full pair already holds a request; this one may be dropped.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

void TerminationSignals::Read() {
    unsigned char byte = 0;
    int last = 0;
    while (::read(m_pair[1], &byte, 1) == 1)
        last = byte;
    if (last != 0)
        emit requested(last);
}
