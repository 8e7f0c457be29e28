#include "device/transport/filetransport.h"

#include "device/devicelog.h"

#include <QFile>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace device {

namespace {
QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

FileTransport::FileTransport(const QString& path, QObject* parent) : Transport(parent), m_path(path) {}

FileTransport::~FileTransport() {
    close();
}

void FileTransport::finishOpen(OpenStatus status, const QString& reason) {
    QTimer::singleShot(0, this, [this, status, reason] { Q_EMIT openFinished(status, reason); });
}

void FileTransport::open() {
    close();
    const QByteArray path = QFile::encodeName(m_path);
    bool writeOnly = false;
    int fd = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EISDIR || errno == EROFS)) {
        // Some device files can only be written; the printer then gives no status replies.
        fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        writeOnly = fd >= 0;
    }
    if (fd < 0) {
        const int error = errno;
        finishOpen(error == EBUSY ? OpenStatus::Busy : OpenStatus::Failed,
                   QStringLiteral("%1: %2").arg(m_path, errnoText(error)));
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        finishOpen(error == EWOULDBLOCK ? OpenStatus::Busy : OpenStatus::Failed,
                   QStringLiteral("%1 is in use by another program").arg(m_path));
        return;
    }
    m_fd = fd;
    if (::isatty(fd)) {
        // A terminal line would hold replies back until a newline and echo what we send.
        struct termios mode {};
        if (::tcgetattr(fd, &mode) == 0) {
            ::cfmakeraw(&mode);
            ::tcsetattr(fd, TCSANOW, &mode);
        }
    }
    struct stat info {};
    const bool pollable = ::fstat(fd, &info) == 0 &&
                          (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
    // A regular file always reads as ready; only devices, pipes and sockets are watched.
    if (pollable && !writeOnly) {
        m_readNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &FileTransport::onReadable);
    }
    if (pollable) {
        m_writeNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
        m_writeNotifier->setEnabled(false);
        connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &FileTransport::flush);
    }
    if (writeOnly)
        qCInfo(lcDevice) << m_path << "opened for writing only: no status replies will come";
    finishOpen(OpenStatus::Opened, {});
}

void FileTransport::close() {
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_pending.clear();
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

void FileTransport::write(const QByteArray& bytes) {
    if (m_fd < 0)
        return;
    m_pending += bytes;
    flush();
}

void FileTransport::flush() {
    while (m_fd >= 0 && !m_pending.isEmpty()) {
        const ssize_t n = ::write(m_fd, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && m_writeNotifier) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        lose(QStringLiteral("writing %1 failed: %2").arg(m_path, errnoText(errno)));
        return;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}

void FileTransport::onReadable() {
    char buffer[256];
    QByteArray received;
    // A device that never runs dry (a misnamed /dev/zero) must not keep us here: the notifier
    // fires again for the rest.
    constexpr qsizetype maxPerWake = 64 * 1024;
    while (received.size() < maxPerWake) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            const QString reason = QStringLiteral("reading %1 failed: %2").arg(m_path, errnoText(errno));
            if (!received.isEmpty())
                Q_EMIT dataReceived(received);
            lose(reason);
            return;
        }
        break; // nothing more for now (0 from a printer class device means the same)
    }
    if (!received.isEmpty())
        Q_EMIT dataReceived(received);
}

void FileTransport::lose(const QString& reason) {
    close();
    Q_EMIT linkLost(reason);
}

} // namespace device
