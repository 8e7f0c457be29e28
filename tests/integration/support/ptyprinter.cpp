#include "ptyprinter.h"

#include "virtual/escpossession.h"
#include "virtual/virtualprinter.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {
constexpr qsizetype kReadChunk = 4096;
} // namespace

PtyPrinter::PtyPrinter(virt::VirtualPrinter* printer, QObject* parent) : QObject(parent), m_printer(printer) {
    plugIn();
}

PtyPrinter::~PtyPrinter() {
    hangUp();
}

bool PtyPrinter::plugIn() {
    char name[128] = {};
    if (!m_folder.isValid() || ::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // Raw from the start: nothing the program writes before it sets the line up is echoed back.
    termios mode{};
    ::tcgetattr(m_master, &mode);
    ::cfmakeraw(&mode);
    ::tcsetattr(m_master, TCSANOW, &mode);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    QFile::remove(linkPath());
    QFile::link(m_slavePath, linkPath());

    QPointer<PtyPrinter> self(this);
    m_session = m_printer->attach([self](const QByteArray& bytes) {
        if (self)
            self->send(bytes);
    });
    connect(m_session, &virt::EscPosSession::spaceFreed, this, [this] {
        if (m_readable && m_allowance != 0) {
            m_readable->setEnabled(true);
            readAvailable();
        }
    });
    m_readable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    m_writable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &PtyPrinter::readAvailable);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &PtyPrinter::writePending);
    return true;
}

termios PtyPrinter::lineSettings() const {
    termios mode{};
    if (m_master >= 0)
        ::tcgetattr(m_master, &mode);
    return mode;
}

void PtyPrinter::stopReadingAfter(qsizetype bytes) {
    m_allowance = bytes;
    if (m_readable)
        m_readable->setEnabled(bytes > 0);
}

void PtyPrinter::resumeReading() {
    if (m_master >= 0)
        ::tcflush(m_master, TCIFLUSH);
    continueReading();
}

void PtyPrinter::continueReading() {
    m_allowance = -1;
    if (m_master < 0)
        return;
    m_readable->setEnabled(true);
    readAvailable();
}

void PtyPrinter::readAvailable() {
    if (m_master < 0 || !m_session)
        return;
    qsizetype room = qMin(m_session->freeSpace(), kReadChunk);
    if (m_allowance >= 0)
        room = qMin(room, m_allowance);
    if (room <= 0) {
        m_readable->setEnabled(false); // the pty holds the rest until there is room again
        return;
    }
    char chunk[kReadChunk];
    const ssize_t n = ::read(m_master, chunk, size_t(room));
    if (n <= 0)
        return;
    if (m_allowance >= 0)
        m_allowance -= n;
    m_printer->receive(m_session, QByteArray(chunk, qsizetype(n)));
}

void PtyPrinter::send(const QByteArray& bytes) {
    if (m_master < 0)
        return;
    m_outbox += bytes;
    writePending();
}

void PtyPrinter::writePending() {
    while (m_master >= 0 && !m_outbox.isEmpty()) {
        const ssize_t n = ::write(m_master, m_outbox.constData(), size_t(m_outbox.size()));
        if (n > 0) {
            m_outbox.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        m_writable->setEnabled(n < 0 && errno == EAGAIN);
        return;
    }
    if (m_writable)
        m_writable->setEnabled(false);
}

void PtyPrinter::hangUp() {
    if (m_master < 0)
        return;
    m_readable.reset();
    m_writable.reset();
    m_outbox.clear();
    ::close(m_master);
    ::close(m_slave);
    m_master = m_slave = -1;
    QFile::remove(linkPath());
    if (m_session) {
        disconnect(m_session, nullptr, this, nullptr);
        m_printer->detach(m_session); // what it took still prints
    }
    m_session.clear();
}

bool PtyPrinter::reopen() {
    hangUp();
    m_allowance = -1;
    return plugIn();
}
