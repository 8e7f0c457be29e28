#include "tcpprinterconnection.h"

#include "escpossession.h"
#include "virtualprinter.h"

#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace virt {

namespace {
constexpr qsizetype kReadChunk = 4096;
constexpr int kDrainCheckMs = 10;
// Replies the client does not collect: past this the printer stops reading its requests (a client
// asking for status a million times and never reading gets the printer's silence, not its memory).
constexpr qsizetype kMaxUnsentReplies = 64 * 1024;
} // namespace

TcpPrinterConnection::TcpPrinterConnection(VirtualPrinter* printer, qintptr descriptor, int idleTimeoutMs,
                                           QObject* parent)
    : QObject(parent), m_printer(printer), m_fd(int(descriptor)) {
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    const int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one); // status replies go out at once
    QPointer<TcpPrinterConnection> self(this);
    m_session = printer->attach([self](const QByteArray& bytes) {
        if (self)
            self->send(bytes);
    });
    m_readable = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    m_writable = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &TcpPrinterConnection::readAvailable);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &TcpPrinterConnection::writePending);
    connect(m_session, &EscPosSession::spaceFreed, this, [this] {
        if (m_fd >= 0 && !m_inputEnded) {
            m_readable->setEnabled(true);
            readAvailable();
        }
    });
    m_drainCheck.setInterval(kDrainCheckMs);
    connect(&m_drainCheck, &QTimer::timeout, this, &TcpPrinterConnection::closeIfDone);
    if (idleTimeoutMs > 0) {
        m_idle.setSingleShot(true);
        m_idle.setInterval(idleTimeoutMs);
        connect(&m_idle, &QTimer::timeout, this, &TcpPrinterConnection::idleTimedOut);
        m_idle.start();
    }
}

TcpPrinterConnection::~TcpPrinterConnection() {
    if (m_fd >= 0) {
        m_readable.reset();
        m_writable.reset();
        ::close(m_fd);
    }
}

void TcpPrinterConnection::readAvailable() {
    if (m_fd < 0 || !m_session)
        return;
    if (m_outbox.size() >= kMaxUnsentReplies) {
        m_readable->setEnabled(false); // resumes when the client has taken its replies
        return;
    }
    const qsizetype room = qMin(m_session->freeSpace(), kReadChunk);
    if (room <= 0) {
        m_readable->setEnabled(false); // full: the socket holds the rest until spaceFreed
        return;
    }
    char chunk[kReadChunk];
    const ssize_t n = ::recv(m_fd, chunk, size_t(room), 0);
    if (n > 0) {
        if (m_idle.interval() > 0)
            m_idle.start();
        m_printer->receive(m_session, QByteArray(chunk, qsizetype(n)));
        return;
    }
    if (n == 0) {
        // The client will send no more; it may still wait for replies.
        m_inputEnded = true;
        m_readable->setEnabled(false);
        m_drainCheck.start();
        return;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        close();
}

void TcpPrinterConnection::send(const QByteArray& bytes) {
    if (m_fd < 0)
        return;
    m_outbox += bytes;
    writePending();
}

void TcpPrinterConnection::writePending() {
    while (m_fd >= 0 && !m_outbox.isEmpty()) {
        const ssize_t n = ::send(m_fd, m_outbox.constData(), size_t(m_outbox.size()), MSG_NOSIGNAL);
        if (n > 0) {
            m_outbox.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            m_writable->setEnabled(true);
            return;
        }
        close(); // the client is gone
        return;
    }
    if (m_writable)
        m_writable->setEnabled(false);
    if (m_fd >= 0 && !m_inputEnded && m_readable && !m_readable->isEnabled() && m_session &&
        m_session->freeSpace() > 0) {
        m_readable->setEnabled(true); // replies are out: read on
        readAvailable();
    }
}

// After end of input: closes once the session has processed all it holds and the replies it made
// (they travel through the event loop) are written; twice idle in a row, so none is in flight.
void TcpPrinterConnection::closeIfDone() {
    const bool idle = !m_session || (m_session->buffered() == 0 && m_outbox.isEmpty());
    m_idleChecks = idle ? m_idleChecks + 1 : 0;
    if (m_idleChecks >= 2)
        close();
}

// Idle is the client's silence, not the printer's: while what it sent waits to print (a cover open,
// the paper out, its requests not reached) the client has nothing to say and stays.
void TcpPrinterConnection::idleTimedOut() {
    if (m_session && m_session->buffered() > 0) {
        m_idle.start();
        return;
    }
    close();
}

void TcpPrinterConnection::close() {
    if (m_fd < 0)
        return;
    m_drainCheck.stop();
    m_idle.stop();
    m_readable.reset();
    m_writable.reset();
    ::close(m_fd);
    m_fd = -1;
    if (m_session)
        m_printer->detach(m_session); // what it sent still prints
    m_inputEnded = true;
    Q_EMIT closed();
    deleteLater();
}

} // namespace virt
