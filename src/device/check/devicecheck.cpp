#include "device/check/devicecheck.h"

#include "device/check/connectionprobe.h"
#include "device/link/printeranswers.h"
#include "device/registry/deviceconfig.h"

namespace device {

namespace {

using Verdict = CheckResult::Verdict;

bool isClass(const DeviceEntry& entry, const char* name) {
    return entry.deviceClass().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

bool isVirtual(const QString& connection) {
    return connection.trimmed().startsWith(QLatin1String("virtual:"), Qt::CaseInsensitive);
}

// Name and connection in columns, so the verdicts line up.
struct Columns {
    qsizetype name = 0;
    qsizetype connection = 0;

    void widen(const QString& name, const QString& connection) {
        this->name = qMax(this->name, name.size());
        this->connection = qMax(this->connection, connection.size());
    }
    QString line(const CheckedDevice& device) const {
        return shownDeviceText(device.name).leftJustified(name + 3) +
               shownDeviceText(device.connection).leftJustified(connection + 3) + device.result.text();
    }
};

} // namespace

DeviceCheck::DeviceCheck(DeviceRegistry registry, DiscoveryFolders folders)
    : m_registry(std::move(registry)), m_folders(std::move(folders)) {}

bool DeviceCheck::run(const Print& print) {
    m_entries.clear();
    m_discovered.clear();
    m_printerResults.clear();

    QStringList knownConnections;
    Columns columns;
    for (const DeviceEntry& entry : m_registry.entries()) {
        knownConnections.append(entry.value(QStringLiteral("connection")));
        columns.widen(entry.name, shownConnection(entry));
    }
    const QList<FoundDevice> found = discoverDevices(m_folders, knownConnections);
    for (const FoundDevice& device : found)
        columns.widen(device.name, device.connection);

    bool allOk = m_registry.problem().isEmpty() && !m_registry.entries().isEmpty();
    if (!m_registry.problem().isEmpty())
        print(QStringLiteral("Registry: %1").arg(m_registry.problem()));
    else if (m_registry.entries().isEmpty())
        print(QStringLiteral("Registry: %1 has no entries").arg(m_registry.source()));
    else
        print(QStringLiteral("Registry: %1").arg(m_registry.source()));
    for (const DeviceEntry& entry : m_registry.entries()) {
        const CheckedDevice checked{entry.name, shownConnection(entry), checkEntry(entry)};
        allOk = allOk && checked.result.ok();
        m_entries.append(checked);
        print(columns.line(checked));
    }

    print(QString());
    if (found.isEmpty()) {
        print(QStringLiteral(
                  "No printer or serial port beside these (looked for %1/lp*, %2/*, %3/ttyUSB*, %3/ttyACM*).")
                  .arg(m_folders.usbPrinters, m_folders.serialById, m_folders.devices));
        return allOk;
    }
    print(QStringLiteral("Not in the registry; add an entry to use one:"));
    for (const FoundDevice& device : found) {
        PrinterConfig printer;
        printer.name = device.name;
        printer.connection = device.connection;
        const CheckedDevice checked{device.name, device.connection, probeConnection(printer)};
        m_discovered.append(checked);
        print(columns.line(checked));
        print(QStringLiteral("[%1]").arg(device.name));
        print(QStringLiteral("class=POSPrinter"));
        print(QStringLiteral("connection=%1").arg(device.connection));
        print(QString());
    }
    return allOk;
}

// Every entry is read as Open reads it, so the check refuses what Open refuses, for the same
// reason; a drawer is then checked through its printer.
CheckResult DeviceCheck::checkEntry(const DeviceEntry& entry) {
    if (isClass(entry, "POSPrinter")) {
        const Resolution<PrinterConfig> printer = resolvePrinter(m_registry, entry.name);
        return printer.config ? checkPrinter(*printer.config)
                              : CheckResult{Verdict::BadEntry, printer.reason};
    }
    if (!isClass(entry, "CashDrawer"))
        return {Verdict::BadEntry,
                QStringLiteral("class \"%1\" is neither POSPrinter nor CashDrawer").arg(entry.deviceClass())};
    const Resolution<DrawerConfig> drawer = resolveDrawer(m_registry, entry.name);
    if (!drawer.config)
        return {Verdict::BadEntry, drawer.reason};
    CheckResult result = checkPrinter(drawer.config->printer);
    result.detail = QStringLiteral("a cash drawer, checked through its printer entry %1")
                        .arg(drawer.config->printer.name);
    return result;
}

CheckResult DeviceCheck::checkPrinter(const PrinterConfig& printer) {
    if (const auto known = m_printerResults.constFind(printer.name); known != m_printerResults.constEnd())
        return *known;
    const CheckResult result = isVirtual(printer.connection)
                                   ? CheckResult{Verdict::Ok, QStringLiteral("the built-in virtual printer")}
                                   : probeConnection(printer);
    m_printerResults.insert(printer.name, result);
    return result;
}

QString DeviceCheck::shownConnection(const DeviceEntry& entry) const {
    if (isClass(entry, "CashDrawer"))
        if (const std::optional<DeviceEntry> printer = printerEntryOf(entry))
            return printer->value(QStringLiteral("connection"));
    return entry.value(QStringLiteral("connection"));
}

std::optional<DeviceEntry> DeviceCheck::printerEntryOf(const DeviceEntry& drawer) const {
    const std::optional<DeviceEntry> printer = m_registry.find(drawer.value(QStringLiteral("printer")));
    return printer && isClass(*printer, "POSPrinter") ? printer : std::nullopt;
}

} // namespace device
