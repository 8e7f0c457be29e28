#pragma once

#include "device/control/resultfunnel.h"
#include "device/control/statisticsxml.h"
#include "device/link/printerlink.h"
#include "device/registry/deviceconfig.h"

#include <QList>
#include <QObject>

#include <memory>
#include <optional>

namespace device {

// How a control uses the shared connection to its printer: claimed, dropped at Close, and waited
// on (within the link's own time-outs) for calls that must answer synchronously.

// Lets go of the link: no more signals to user, no longer attached.
void releaseLink(std::shared_ptr<PrinterLink>& link, QObject* user);

// Claims the printer for owner, exclusive among the printer controls of this program, and opens
// its connection; within waitMs it waits while another control holds it or the connection is busy
// (a network printer serving another host). The reason names connection, as the device's entry
// spells it, when it fails.
Outcome claimLink(PrinterLink& link, const void* owner, int waitMs, const QString& connection);

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

// Learns what the printer answers, once per open of its connection, and waits for it (within the
// link's reply time-outs): Answered once link.answers() is known, else LinkDown or Garbled.
ExchangeOutcome::Result learnAndWait(PrinterLink& link);

// The first step of enabling a device on the link: what its printer answers is learnt (once per
// open). Refused when the printer cannot be reached, answers but not in ESC/POS, or answers nothing
// on a line that cannot show a printer is there (a serial line takes bytes with nothing on it); a
// success carries what Posling cannot see on this printer.
Outcome learnBeforeEnable(PrinterLink& link, const QString& connection);

// What statistics report of the printer behind a connection: its model and how it is attached.
StatisticsEquipment equipmentOf(const PrinterConfig& printer);

} // namespace device
