#pragma once

#include "device/check/checkresult.h"
#include "device/check/devicediscovery.h"
#include "device/registry/deviceconfig.h"
#include "device/registry/deviceregistry.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

namespace device {

struct CheckedDevice {
    QString name;
    QString connection; // as the report shows it; a cash drawer shows its printer's
    CheckResult result;
};

// What `posling --check-devices` does: checks every entry of the registry in its order, then
// the USB printers and serial ports that no entry names, and reports one line per device as each
// check ends (a silent printer takes its whole time-out). A cash drawer is checked through its
// printer entry; a virtual printer needs no I/O.
class DeviceCheck {
public:
    using Print = std::function<void(const QString& line)>;

    explicit DeviceCheck(DeviceRegistry registry, DiscoveryFolders folders = {});

    // True when the registry could be read, has entries and every one of them is ok; devices found
    // beside it do not count.
    bool run(const Print& print);

    QList<CheckedDevice> entries() const { return m_entries; }
    QList<CheckedDevice> discovered() const { return m_discovered; }

private:
    CheckResult checkEntry(const DeviceEntry& entry);
    CheckResult checkPrinter(const PrinterConfig& printer);
    QString shownConnection(const DeviceEntry& entry) const;
    std::optional<DeviceEntry> printerEntryOf(const DeviceEntry& drawer) const;

    DeviceRegistry m_registry;
    DiscoveryFolders m_folders;
    QHash<QString, CheckResult> m_printerResults; // by entry name: a drawer reuses its printer's
    QList<CheckedDevice> m_entries;
    QList<CheckedDevice> m_discovered;
};

} // namespace device
