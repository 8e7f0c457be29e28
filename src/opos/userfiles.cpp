#include "userfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace opos {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString megabytes(qint64 bytes) {
    return bytes >= 1024 * 1024 ? QStringLiteral("%1 MB").arg(bytes / (1024 * 1024))
                                : QStringLiteral("%1 KB").arg(qMax<qint64>(1, bytes / 1024));
}

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}

QString refusalOf(const struct stat& info, qint64 maxBytes) {
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("it is %1, not a file").arg(kindOf(info.st_mode));
    if (info.st_size > maxBytes)
        return QStringLiteral("it is larger than %1").arg(megabytes(maxBytes));
    return {};
}

// Reads to the end or one byte past the cap, whichever comes first.
ReadFile readAll(int descriptor, qint64 maxBytes) {
    ReadFile result;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(descriptor, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.error = systemError(errno);
            return result;
        }
        if (got == 0)
            return result;
        result.bytes.append(chunk, got);
        if (result.bytes.size() > maxBytes) {
            result.bytes.clear();
            result.error = QStringLiteral("it is larger than %1").arg(megabytes(maxBytes));
            return result;
        }
    }
}

} // namespace

QString unreadableReason(const QString& path, qint64 maxBytes) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return systemError(errno);
    return refusalOf(info, maxBytes);
}

ReadFile readUserFile(const QString& path, qint64 maxBytes) {
    ReadFile result;
    // Non-blocking, so that opening a pipe with no writer returns at once.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        result.error = systemError(errno);
        return result;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0)
        result.error = systemError(errno);
    else
        result.error = refusalOf(info, maxBytes);
    if (result.ok()) {
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
        result = readAll(descriptor, maxBytes);
    }
    ::close(descriptor);
    return result;
}

ReadFile readStream(int descriptor, qint64 maxBytes) {
    return readAll(descriptor, maxBytes);
}

QString UserFileWriter::check() const {
    const QByteArray name = QFile::encodeName(m_path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        if (errno != ENOENT)
            return systemError(errno);
        struct stat link {};
        if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            return QStringLiteral("it is a link to nothing");
        const QString folder = QFileInfo(m_path).absolutePath();
        if (!QFileInfo(folder).isDir())
            return QStringLiteral("the folder %1 does not exist").arg(folder);
        if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
            return QStringLiteral("no file may be made in %1: %2").arg(folder, systemError(errno));
        return {};
    }
    if (S_ISREG(info.st_mode))
        return ::access(name.constData(), W_OK) == 0 ? QString() : systemError(errno);
    if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) {
        // A pipe that nobody reads would hold the write for ever.
        const int descriptor = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0)
            return errno == ENXIO ? QStringLiteral("it is a pipe that nobody reads") : systemError(errno);
        ::close(descriptor);
        return {};
    }
    return QStringLiteral("it is %1, which cannot take the file").arg(kindOf(info.st_mode));
}

QString UserFileWriter::write(const QByteArray& bytes) const {
    if (const QString problem = check(); !problem.isEmpty())
        return problem;
    const QFileInfo info(m_path);
    if (!info.exists())
        return replace(m_path, bytes);
    if (info.isFile())
        return replace(info.canonicalFilePath(), bytes); // the link stays; its target is replaced
    return writeInPlace(bytes);
}

QString UserFileWriter::replace(const QString& target, const QByteArray& bytes) const {
    QSaveFile file(target);
    // A file whose folder is closed to the user is written where it is.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

QString UserFileWriter::writeInPlace(const QByteArray& bytes) const {
    const int descriptor = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return systemError(errno);
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    QString problem;
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t done = ::write(descriptor, bytes.constData() + written, size_t(bytes.size() - written));
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0) {
            problem = systemError(errno);
            break;
        }
        written += done;
    }
    ::close(descriptor);
    return problem;
}

} // namespace opos
