#pragma once

#include "device/link/printeranswers.h"
#include "device/profile/printerprofile.h"
#include "device/registry/deviceentry.h"
#include "device/registry/deviceregistry.h"

#include <QMap>
#include <QString>

#include <optional>

namespace device {

// Waits of a printer connection, in milliseconds.
struct LinkTimings {
    int replyTimeoutMs = 3000; // a status reply may take this long ("timeout")
    int openTimeoutMs = 5000;  // one attempt to open the connection ("open_timeout")
    int retryIntervalMs = 250; // between attempts on a busy connection ("retry_interval")
    int foreverCapMs = 600000; // what Claim(OPOS_FOREVER) waits at most ("forever_cap")
};

// A usable POSPrinter entry.
struct PrinterConfig {
    QString name;
    QString connection;
    PrinterProfile profile;
    LinkTimings timings;
    std::optional<StatusLevel> statusLevel; // "status": nothing (auto) learns what the printer answers
    QMap<QString, QString> linkOptions;     // for TransportFactory::create
};

// A usable CashDrawer entry with the printer it hangs on.
struct DrawerConfig {
    QString name;
    PrinterConfig printer;
    int pin = 2;
    int pulseOnMs = 100;
    int pulseOffMs = 500;
    bool openWhenHigh = true;
};

// The printer whose connection a device uses.
inline const PrinterConfig& printerOf(const PrinterConfig& printer) {
    return printer;
}
inline const PrinterConfig& printerOf(const DrawerConfig& drawer) {
    return drawer.printer;
}

// What Open makes of a logical name: a config, or the result code and why.
template <typename Config> struct Resolution {
    qint32 code = 0; // OPOS_SUCCESS, OPOS_E_NOEXIST or OPOS_E_NOSERVICE
    QString reason;
    std::optional<Config> config;
};

Resolution<PrinterConfig> resolvePrinter(const DeviceRegistry& registry, const QString& name);
Resolution<DrawerConfig> resolveDrawer(const DeviceRegistry& registry, const QString& name);

} // namespace device
