#include "device/control/devicestatistics.h"

#include "device/devicelog.h"

#include "opos/userfiles.h"
#include <QCryptographicHash>
#include <QDir>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <limits>

namespace device {

namespace {

std::optional<qint64> countFrom(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool ok = false;
    const qint64 count = text.toLongLong(&ok);
    if (!ok || !digits.match(text).hasMatch())
        return std::nullopt;
    return count;
}

bool isManufacturers(StatisticsCategory category, const QString& name) {
    for (const StatisticDefinition& definition : statisticsOf(category))
        if (definition.name == name)
            return definition.origin == StatisticOrigin::Manufacturer;
    return false;
}

// Logical device names may hold slashes, spaces, dots or anything else: every byte outside
// [A-Za-z0-9_-] is percent-encoded, so distinct names never share a file, and a name too long
// for a file system keeps its start and a hash of the whole.
QString safeFileName(const QString& deviceName) {
    QString encoded = QString::fromLatin1(deviceName.toUtf8().toPercentEncoding(QByteArray(), "~."));
    if (encoded.isEmpty())
        return QStringLiteral("%");
    constexpr qsizetype kMaxLength = 200;
    if (encoded.size() > kMaxLength) {
        const QByteArray hash =
            QCryptographicHash::hash(deviceName.toUtf8(), QCryptographicHash::Sha1).toHex();
        encoded = encoded.left(kMaxLength - hash.size() - 1) + QLatin1Char('-') + QString::fromLatin1(hash);
    }
    return encoded;
}

} // namespace

DeviceStatistics::DeviceStatistics(StatisticsCategory category, QObject* parent)
    : QObject(parent), m_category(category) {
    for (const StatisticDefinition& definition : statisticsOf(category))
        m_values.insert(definition.name, 0);
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &DeviceStatistics::save);
}

DeviceStatistics::~DeviceStatistics() {
    flush();
}

QString DeviceStatistics::fileFor(const QString& deviceName) {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1String("/statistics/") +
           safeFileName(deviceName) + QLatin1String(".xml");
}

void DeviceStatistics::load(const QString& deviceName) {
    flush(); // the previous device's counts belong in its own file
    m_file = fileFor(deviceName);
    m_unsaved = false;
    for (qint64& count : m_values)
        count = 0;
    if (!QFileInfo::exists(m_file))
        return;
    QString problem;
    // A statistics document is a few KB: a pipe, a device or a huge file is no such document.
    const opos::ReadFile read = opos::readUserFile(m_file, kMaxFileBytes);
    const std::optional<StatisticsDocument> document =
        read.ok() ? readStatisticsXml(read.bytes, &problem) : std::nullopt;
    if (!read.ok())
        problem = read.error;
    QMap<QString, qint64> loaded = m_values;
    if (document && document->category != categoryName(m_category))
        problem = QStringLiteral("the statistics of a %1").arg(document->category);
    for (auto it = loaded.begin(); document && problem.isEmpty() && it != loaded.end(); ++it) {
        if (!document->values.contains(it.key()))
            continue; // a counter added since the file was written
        const std::optional<qint64> count = countFrom(document->values.value(it.key()));
        if (!count)
            problem = QStringLiteral("%1 is not a count").arg(it.key());
        else
            it.value() = *count;
    }
    if (!problem.isEmpty()) {
        qCWarning(lcDevice).noquote()
            << "statistics file" << m_file << "ignored, counting from zero:" << problem;
        return;
    }
    m_values = loaded;
}

void DeviceStatistics::increment(const QString& name, qint64 by) {
    const auto it = m_values.find(name);
    if (it == m_values.end()) {
        qCWarning(lcDevice) << "no statistic" << name << "for a" << categoryName(m_category);
        return;
    }
    if (by <= 0)
        return;
    it.value() = it.value() > std::numeric_limits<qint64>::max() - by ? std::numeric_limits<qint64>::max()
                                                                      : it.value() + by;
    changed();
}

StatisticsReport DeviceStatistics::reportOf(const StatisticsSelection& selection) const {
    StatisticsReport report;
    report.category = m_category;
    report.equipment = m_equipment;
    for (const QString& name : selection.counters) {
        StatisticValues& entries =
            isManufacturers(m_category, name) ? report.manufacturerSpecific : report.parameters;
        entries.append({name, QString::number(m_values.value(name))});
    }
    for (const QString& name : selection.unknown)
        report.parameters.append({name, QString()});
    return report;
}

Outcome DeviceStatistics::retrieve(const QString& request, QString& xml) const {
    const std::optional<StatisticsSelection> selection = selectStatistics(m_category, request);
    if (!selection)
        return opos::OPOS_E_ILLEGAL;
    StatisticsReport report = reportOf(*selection);
    report.request = request;
    xml = writeStatisticsXml(report);
    return opos::OPOS_SUCCESS;
}

Outcome DeviceStatistics::reset(const QString& request) {
    const std::optional<StatisticsSelection> selection = selectStatistics(m_category, request);
    if (!selection)
        return opos::OPOS_E_ILLEGAL;
    // A name the device does not keep, or one of the equipment's, cannot be reset.
    if (!selection->unknown.isEmpty() || !selection->equipment.isEmpty())
        return opos::OPOS_E_ILLEGAL;
    QMap<QString, qint64> zeros;
    for (const QString& name : selection->counters)
        zeros.insert(name, 0);
    return setValues(zeros);
}

Outcome DeviceStatistics::update(const QString& assignments) {
    if (assignments.trimmed().isEmpty())
        return opos::OPOS_E_ILLEGAL;
    QMap<QString, qint64> values;
    bool refused = false;
    for (const QString& item : assignments.split(QLatin1Char(','))) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        if (equals < 0)
            return opos::OPOS_E_ILLEGAL;
        const std::optional<StatisticsSelection> selection =
            selectStatistics(m_category, item.left(equals).trimmed());
        const std::optional<qint64> count = countFrom(item.mid(equals + 1).trimmed());
        if (!selection || !count)
            return opos::OPOS_E_ILLEGAL;
        refused = refused || !selection->unknown.isEmpty() || !selection->equipment.isEmpty();
        for (const QString& name : selection->counters)
            values.insert(name, *count);
    }
    if (refused)
        return opos::OPOS_E_ILLEGAL;
    return setValues(values);
}

Outcome DeviceStatistics::setValues(const QMap<QString, qint64>& values) {
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        m_values.insert(it.key(), it.value());
    if (!values.isEmpty())
        changed();
    return opos::OPOS_SUCCESS;
}

void DeviceStatistics::changed() {
    m_unsaved = true;
    if (!m_saveTimer.isActive())
        m_saveTimer.start(); // not restarted by later counts: a long job still saves every few seconds
}

void DeviceStatistics::flush() {
    m_saveTimer.stop();
    if (m_unsaved)
        save();
}

void DeviceStatistics::save() {
    if (m_file.isEmpty())
        return; // not loaded for a device yet: nowhere to keep the counts
    StatisticsSelection all;
    for (const StatisticDefinition& definition : statisticsOf(m_category))
        all.counters += definition.name;
    const QString folder = QFileInfo(m_file).path();
    QString problem;
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        problem = QStringLiteral("%1 is not a folder").arg(folder);
    else if (!QDir().mkpath(folder))
        problem = QStringLiteral("the folder %1 cannot be made").arg(folder);
    else
        problem = opos::UserFileWriter(m_file).write(writeStatisticsXml(reportOf(all)).toUtf8());
    if (!problem.isEmpty()) {
        qCWarning(lcDevice).noquote() << "statistics not saved to" << m_file << "-" << problem;
        return;
    }
    m_unsaved = false;
}

} // namespace device
