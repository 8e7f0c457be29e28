#include "device/registry/deviceregistry.h"

#include "device/devicelog.h"
#include "opos/userfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>

namespace device {

namespace {

constexpr auto kEnvDevices = "POSLING_DEVICES";
constexpr qint64 kMaxDevicesFileBytes = 4 * 1024 * 1024;

DeviceEntry entry(const QString& name, std::initializer_list<std::pair<const char*, const char*>> pairs) {
    DeviceEntry e;
    e.name = name;
    for (const auto& [key, value] : pairs)
        e.options.insert(QString::fromLatin1(key), QString::fromLatin1(value));
    return e;
}

// QSettings splits unquoted values at commas; the registry wants the text back.
QString settingText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString().trimmed();
}

} // namespace

DeviceRegistry DeviceRegistry::builtIn() {
    DeviceRegistry registry;
    registry.m_source = QStringLiteral("built-in defaults");
    registry.m_entries = {
        entry(QStringLiteral("Z901"), {{"class", "POSPrinter"},
                                       {"connection", "virtual:Z901"},
                                       {"profile", "80mm"},
                                       {"timeout", "3000"}}),
        entry(QStringLiteral("Z901-1"), {{"class", "CashDrawer"},
                                         {"printer", "Z901"},
                                         {"pin", "2"},
                                         {"pulse_on", "100"},
                                         {"pulse_off", "500"},
                                         {"open_level", "high"},
                                         {"close_delay", "3000"}}),
    };
    registry.index();
    return registry;
}

namespace {

// Section names the file gives more than once (ignoring case, as lookups do). The INI reader would
// merge their keys without a word.
QStringList repeatedSections(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QSet<QString> seen;
    QStringList repeated;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.size() < 3 || !line.startsWith('[') || !line.endsWith(']') ||
            line.indexOf(']') != line.size() - 1)
            continue;
        const QString name = QString::fromUtf8(line.mid(1, line.size() - 2)).trimmed().toLower();
        if (seen.contains(name) && !repeated.contains(name))
            repeated.append(name);
        seen.insert(name);
    }
    for (const QString& name : std::as_const(repeated))
        qCWarning(lcDevice).noquote() << "section [" + name + "] appears more than once in" << path;
    return repeated;
}

} // namespace

DeviceRegistry DeviceRegistry::fromFile(const QString& path) {
    DeviceRegistry registry;
    registry.m_source = path;
    const QFileInfo info(path);
    if (!info.exists()) {
        registry.m_problem = QStringLiteral("the devices file %1 does not exist").arg(path);
        return registry;
    }
    // A pipe or device would hold the program, and a devices file is a few lines.
    if (const QString reason = opos::unreadableReason(path, kMaxDevicesFileBytes); !reason.isEmpty()) {
        registry.m_problem = QStringLiteral("the devices file %1 cannot be read: %2").arg(path, reason);
        return registry;
    }
    if (!info.isReadable()) {
        registry.m_problem = QStringLiteral("the devices file %1 cannot be read").arg(path);
        return registry;
    }
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        registry.m_problem = QStringLiteral("the devices file %1 is not a valid INI file").arg(path);
        return registry;
    }
    const QStringList repeated = repeatedSections(path);
    for (const QString& group : settings.childGroups()) {
        settings.beginGroup(group);
        DeviceEntry e;
        e.name = group;
        if (repeated.contains(group, Qt::CaseInsensitive))
            e.problem = QStringLiteral("section [%1] appears more than once in %2; its keys would be mixed")
                            .arg(group, path);
        for (const QString& key : settings.allKeys())
            e.options.insert(key.trimmed().toLower(), settingText(settings.value(key)));
        settings.endGroup();
        registry.m_entries.append(e);
    }
    registry.index();
    return registry;
}

void DeviceRegistry::index() {
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const DeviceEntry& e = m_entries.at(i);
        m_byName.insert(e.name, i);
        if (!m_byLowerName.contains(e.name.toLower()))
            m_byLowerName.insert(e.name.toLower(), i);
        const QString printer = e.value(QStringLiteral("printer")).toLower();
        if (e.deviceClass().compare(QLatin1String("CashDrawer"), Qt::CaseInsensitive) == 0 &&
            !m_drawerOf.contains(printer))
            m_drawerOf.insert(printer, i);
    }
}

QString DeviceRegistry::defaultUserFile() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/posling/devices.ini");
}

DeviceRegistry DeviceRegistry::load() {
    const QString named = qEnvironmentVariable(kEnvDevices);
    DeviceRegistry registry;
    if (!named.isEmpty())
        registry = fromFile(named);
    else if (QFileInfo::exists(defaultUserFile()))
        registry = fromFile(defaultUserFile());
    else
        registry = builtIn();
    qCDebug(lcDevice) << "device registry from" << registry.source();
    return registry;
}

std::optional<DeviceEntry> DeviceRegistry::find(const QString& name) const {
    if (name.trimmed().isEmpty())
        return std::nullopt;
    if (const auto exact = m_byName.constFind(name); exact != m_byName.constEnd())
        return m_entries.at(*exact);
    if (const auto anyCase = m_byLowerName.constFind(name.toLower()); anyCase != m_byLowerName.constEnd())
        return m_entries.at(*anyCase);
    return std::nullopt;
}

QMap<QString, QString> DeviceRegistry::linkOptions(const DeviceEntry& printer) const {
    QMap<QString, QString> options = printer.options;
    if (const auto drawer = m_drawerOf.constFind(printer.name.toLower()); drawer != m_drawerOf.constEnd()) {
        const DeviceEntry& e = m_entries.at(*drawer);
        for (auto it = e.options.cbegin(); it != e.options.cend(); ++it)
            if (!options.contains(it.key()))
                options.insert(it.key(), it.value());
        options.insert(QStringLiteral("drawer"), e.name);
    }
    options.insert(QStringLiteral("name"), printer.name);
    return options;
}

} // namespace device
