#pragma once

#include "device/registry/deviceentry.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace device {

// The logical devices, read from an INI file (one section per device), like the OPOS registry.
// Lookup order: the file named by POSLING_DEVICES (main puts --devices there), else
// $XDG_CONFIG_HOME/posling/devices.ini (~/.config when unset), else the built-in defaults. The first
// source that is named or exists is the whole registry; a file that cannot be read gives an empty
// registry with the reason in problem(), so every name is unknown and the reason gets logged.
class DeviceRegistry {
public:
    static DeviceRegistry load();
    static DeviceRegistry fromFile(const QString& path);
    static DeviceRegistry builtIn();

    // Exact section name first, then ignoring case (OPOS names are case-insensitive).
    std::optional<DeviceEntry> find(const QString& name) const;
    QList<DeviceEntry> entries() const { return m_entries; }
    QString source() const { return m_source; }
    QString problem() const { return m_problem; }

    // Options handed to a printer's transport: the printer's own keys, plus the keys of the first
    // cash drawer hanging on it that the printer does not set (pin, open_level, close_delay, ...),
    // so a virtual printer can wire its drawer. "name" is the printer's logical name.
    QMap<QString, QString> linkOptions(const DeviceEntry& printer) const;

    static QString defaultUserFile();

private:
    // Entries by name, and the first drawer on each printer, so every lookup takes constant time
    // (a check of every entry stays linear in their number).
    void index();

    QString m_source;
    QString m_problem;
    QList<DeviceEntry> m_entries;
    QHash<QString, qsizetype> m_byName;      // exact
    QHash<QString, qsizetype> m_byLowerName; // the first of each name, ignoring case
    QHash<QString, qsizetype> m_drawerOf;    // printer name in lower case -> its first drawer
};

} // namespace device
