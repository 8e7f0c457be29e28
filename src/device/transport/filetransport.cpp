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

Transport::OpenStatus lockDeviceFile(int fd, const QString& path, QString* reason) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return Transport::OpenStatus::Opened;
    const int error = errno;
    ::close(fd);
    *reason = QStringLiteral("%1 is in use by another program").arg(path);
    return error == EWOULDBLOCK ? Transport::OpenStatus::Busy : Transport::OpenStatus::Failed;
}

WriteStallWatch::WriteStallWatch(const QMap<QString, QString>& options, std::function<void()> stalled)
    : m_stalled(std::move(stalled)) {
    bool ok = false;
    const int limit = options.value(QStringLiteral("timeout")).trimmed().toInt(&ok);
    m_timer.setInterval(ok && limit > 0 ? limit : kDefaultLimitMs);
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { m_stalled(); });
}

void WriteStallWatch::update(bool progressed, qsizetype waiting) {
    if (waiting == 0) {
        m_timer.stop();
    } else if (waiting > kMaxWaitingBytes) {
        m_timer.stop();
        m_stalled();
    } else if (progressed || !m_timer.isActive()) {
        m_timer.start();
    }
}

FileTransport::FileTransport(const QString& path, const QMap<QString, QString>& options, QObject* parent)
    : Transport(parent), m_path(path),
      m_stall(options, [this] { lose(QStringLiteral("%1 accepts no more data").arg(m_path)); }) {}

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
    QString reason;
    if (const OpenStatus locked = lockDeviceFile(fd, m_path, &reason); locked != OpenStatus::Opened) {
        finishOpen(locked, reason);
        return;
    }
    m_fd = fd;
    m_terminal = ::isatty(fd);
    if (m_terminal) {
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
    m_stall.stop();
    // Output the device did not take is dropped with what waits in the kernel, or the close
    // would wait for a stuck line to drain it.
    if (m_fd >= 0 && m_terminal && !m_pending.isEmpty())
        ::tcflush(m_fd, TCOFLUSH);
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
    bool progressed = false;
    while (m_fd >= 0 && !m_pending.isEmpty()) {
        const ssize_t n = ::write(m_fd, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            progressed = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && m_writeNotifier) {
            m_writeNotifier->setEnabled(true);
            m_stall.update(progressed, m_pending.size());
            return;
        }
        lose(QStringLiteral("writing %1 failed: %2").arg(m_path, errnoText(errno)));
        return;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    m_stall.update(progressed, 0);
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
        if (n == 0 && m_terminal && received.isEmpty()) {
            // A terminal that signals data and has none was hung up (its far side closed, a USB
            // serial adapter pulled out); it would signal so for ever.
            lose(QStringLiteral("%1 hung up").arg(m_path));
            return;
        }
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
    if (m_fd >= 0 && m_terminal)
        ::tcflush(m_fd, TCOFLUSH); // nobody waits for it any more
    close();
    Q_EMIT linkLost(reason);
}

} // namespace device
