#pragma once

#include "device/control/resultfunnel.h"
#include "device/control/statisticsxml.h"

#include <QMap>
#include <QObject>
#include <QTimer>

namespace device {

// The statistics of one device (RetrieveStatistics, ResetStatistics, UpdateStatistics), kept per
// logical device name in the user's data folder as a UPOSStat document, so they outlive the
// program. Counting only marks the values changed; they are written a little later in one go, or
// at flush(), so printing never waits for the disk.
class DeviceStatistics : public QObject {
    Q_OBJECT
public:
    explicit DeviceStatistics(StatisticsCategory category, QObject* parent = nullptr);
    ~DeviceStatistics() override; // writes what is not saved yet

    // At Open: counting goes on from the device's file; from zero when there is none or it is
    // damaged or another category's (with a warning).
    void load(const QString& deviceName);
    void setEquipment(const StatisticsEquipment& equipment) { m_equipment = equipment; }

    // A name that is not one of the category's counters is a slip of the control: traced, ignored.
    void increment(const QString& name, qint64 by = 1);
    qint64 value(const QString& name) const { return m_values.value(name); }

    // The request is a name list as selectStatistics() reads it. Names the device does not keep
    // come back with an empty value. OPOS_E_ILLEGAL for a malformed list.
    Outcome retrieve(const QString& request, QString& xml) const;
    // OPOS_E_ILLEGAL for a malformed list, or a name that is unknown or cannot be reset (the
    // equipment's); then nothing changes.
    Outcome reset(const QString& request);
    // "name=value" items separated by commas; name as for reset() ("" all, "U_", "P_", "M_"),
    // value a whole number from 0. Result codes as for reset().
    Outcome update(const QString& assignments);

    // Writes unsaved values now: at Release and Close.
    void flush();

    // Where the statistics of deviceName live; any name gives a file name of its own.
    static QString fileFor(const QString& deviceName);

    static constexpr int kSaveDelayMs = 2000;
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

private:
    StatisticsReport reportOf(const StatisticsSelection& selection) const;
    Outcome setValues(const QMap<QString, qint64>& values);
    void changed();
    void save();

    StatisticsCategory m_category;
    StatisticsEquipment m_equipment;
    QMap<QString, qint64> m_values;
    QString m_file;
    bool m_unsaved = false;
    QTimer m_saveTimer;
};

} // namespace device
