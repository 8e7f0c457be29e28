#pragma once

#include "device/control/statisticscatalog.h"

#include <QList>
#include <QMap>
#include <QString>

#include <optional>
#include <utility>

namespace device {

// What the control knows of its device; unknown values stay empty.
struct StatisticsEquipment {
    QString manufacturer;
    QString model;
    QString serialNumber;
    QString firmwareRevision;
    QString interfaceName; // how the device is attached: "TCP", "USB", "Serial", ...
};

using StatisticValues = QList<std::pair<QString, QString>>;

// One UPOSStat document: Event (the request that produced it, if any), Equipment, then the
// UnifiedPOS-defined statistics as Parameter and ours as ManufacturerSpecific. An empty value
// marks a requested name the device does not keep.
struct StatisticsReport {
    StatisticsCategory category = StatisticsCategory::PosPrinter;
    StatisticsEquipment equipment;
    std::optional<QString> request;
    StatisticValues parameters;
    StatisticValues manufacturerSpecific;
};

QString writeStatisticsXml(const StatisticsReport& report);

// A UPOSStat document read back: its device category and every Name/Value of its Parameter and
// ManufacturerSpecific entries (the Event's are not statistics).
struct StatisticsDocument {
    QString category;
    QMap<QString, QString> values;
};

// Nothing, with the reason in error, when xml is not a well-formed UPOSStat document.
std::optional<StatisticsDocument> readStatisticsXml(const QByteArray& xml, QString* error);

} // namespace device
