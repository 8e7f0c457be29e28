#pragma once

#include "device/control/statisticsxml.h"
#include "device/link/printerlink.h"
#include "device/registry/deviceconfig.h"

#include <QList>
#include <QObject>

#include <memory>
#include <optional>

namespace device {

// How a control uses the shared connection to its printer: obtained at Open, dropped at Close, and
// waited on (within the link's own time-outs) for calls that must answer synchronously.

// The link for a printer named in the registry; nothing, with the refusal logged against the
// device name, when the connection cannot be made.
std::shared_ptr<PrinterLink> obtainLink(const PrinterConfig& printer, const QString& deviceName);

// Logs why Open refused a device name.
void logOpenRefused(const QString& deviceName, const QString& reason);

// Lets go of the link: no more signals to user, no longer attached.
void releaseLink(std::shared_ptr<PrinterLink>& link, QObject* user);

struct OpenAnswer {
    Transport::OpenStatus status;
    QString reason;
};

// Attaches user and waits for the connection; nothing (and user detached again) when it did not
// answer within the open time-out.
std::optional<OpenAnswer> attachAndWait(PrinterLink& link, const void* user);

// Runs one exchange and waits for it; nothing (and the exchange cancelled) when it did not finish
// within the reply time-out.
std::optional<ExchangeOutcome> exchangeAndWait(PrinterLink& link, const QByteArray& bytes,
                                               const QList<StatusQuery>& queries);

// What statistics report of the printer behind a connection: its model and how it is attached.
StatisticsEquipment equipmentOf(const PrinterConfig& printer);

// Statistics that start counting where the device's file left off.
template <typename Statistics>
void startStatistics(Statistics& statistics, const QString& deviceName, const PrinterConfig& printer) {
    statistics.setEquipment(equipmentOf(printer));
    statistics.load(deviceName);
}

} // namespace device
