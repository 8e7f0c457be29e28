#include "device/check/devicediscovery.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace device {

namespace {

// Device nodes and dangling links count as system files for QDir.
QStringList matching(const QString& folder, const QStringList& patterns) {
    const QDir dir(folder);
    QStringList paths;
    for (const QString& name :
         dir.entryList(patterns, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

// The same device under any of its names; a missing one stands for itself.
QString realPath(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

} // namespace

QString devicePathOf(const QString& connection) {
    const qsizetype colon = connection.indexOf(u':');
    if (colon <= 0)
        return {};
    const QString scheme = connection.left(colon).trimmed().toLower();
    if (scheme != QLatin1String("file") && scheme != QLatin1String("serial"))
        return {};
    QString address = connection.mid(colon + 1).trimmed();
    if (address.startsWith(QLatin1String("//")))
        address = address.mid(2);
    if (scheme == QLatin1String("serial"))
        address = address.section(u'?', 0, 0);
    return address;
}

QList<FoundDevice> discoverDevices(const DiscoveryFolders& folders, const QStringList& knownConnections) {
    QSet<QString> seen;
    for (const QString& connection : knownConnections)
        if (const QString path = devicePathOf(connection); !path.isEmpty())
            seen.insert(realPath(path));
    QList<FoundDevice> found;
    const auto add = [&](const QString& path, const QString& scheme) {
        const QString real = realPath(path);
        if (seen.contains(real))
            return;
        seen.insert(real);
        found.append({QFileInfo(real).fileName(), scheme + u':' + path});
    };
    for (const QString& path : matching(folders.usbPrinters, {QStringLiteral("lp*")}))
        add(path, QStringLiteral("file"));
    for (const QString& path : matching(folders.serialById, {QStringLiteral("*")}))
        add(path, QStringLiteral("serial"));
    for (const QString& path :
         matching(folders.devices, {QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")}))
        add(path, QStringLiteral("serial"));
    return found;
}

} // namespace device
