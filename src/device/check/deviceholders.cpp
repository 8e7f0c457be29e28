#include "device/check/deviceholders.h"

#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <memory>

namespace device {

namespace {

// Names in a folder, without "." and ".."; empty when it cannot be read.
QStringList folderEntries(const QByteArray& folder) {
    QStringList names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.constData()), ::closedir);
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(QFile::decodeName(name));
    }
    return names;
}

QByteArray linkTarget(const QByteArray& link) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer);
    return n > 0 ? QByteArray(buffer, n) : QByteArray();
}

} // namespace

QStringList processesHolding(const QString& path) {
    const QByteArray target = QFile::encodeName(QFileInfo(path).canonicalFilePath());
    if (target.isEmpty())
        return {};
    QStringList holders;
    for (const QString& pid : folderEntries("/proc")) {
        bool numeric = false;
        pid.toUInt(&numeric);
        if (!numeric)
            continue;
        const QByteArray fdFolder = "/proc/" + pid.toLatin1() + "/fd";
        for (const QString& fd : folderEntries(fdFolder)) {
            if (linkTarget(fdFolder + '/' + fd.toLatin1()) != target)
                continue;
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            const QString command =
                comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
            holders.append(command.isEmpty() ? QStringLiteral("PID %1").arg(pid)
                                             : QStringLiteral("PID %1 (%2)").arg(pid, command));
            break;
        }
    }
    return holders;
}

} // namespace device
