#pragma once

#include "device/control/resultfunnel.h"
#include "device/link/printerlink.h"

#include <QByteArray>
#include <QList>

namespace device {

// The one place that decides when output counts as printed, for the strongest rule a printer's
// answers allow:
// - process IDs: each request is followed by one, which the printer names once it has printed;
// - GS r: an in-order status after the request says everything before it has printed;
// - real-time status only: the request is done once the printer has taken its bytes and a
//   real-time status read after them shows no fault; the printer keeps what it holds through a
//   fault and prints it when the fault clears, so nothing is written twice;
// - nothing: done when written; there is no ready check and no sensor.
// Only a printer that knows process IDs is asked to clear its buffer (DLE DC4 fn 8 belongs to the
// same family of commands; an older printer ignores it, or prints its bytes).
class CompletionRule {
public:
    explicit CompletionRule(StatusLevel level) : m_level(level) {}
    // The rule of the link's printer; the strongest while nothing is known yet.
    static CompletionRule of(const PrinterLink& link);

    StatusLevel level() const { return m_level; }
    // Whether the printer is asked (DLE EOT 1, 2, 4) whether it can print before a request is
    // written, so a fault found then writes nothing.
    bool checksReadiness() const { return m_level >= StatusLevel::RealTime; }
    // Whether what follows a request names it, so one the printer lost can be told and written again.
    bool namesRequests() const { return m_level == StatusLevel::ProcessIds; }
    bool clearsBuffer() const { return m_level == StatusLevel::ProcessIds; }
    // Whether the printer's sensors (cover, paper, drawer) can be seen at all.
    bool seesStatus() const { return m_level != StatusLevel::None; }

    struct Confirmation {
        QByteArray bytes;
        QList<StatusQuery> queries;
    };
    // What goes behind a request's bytes: its process ID (with a tag), GS r 1, the ready check, or
    // nothing.
    Confirmation confirmation(const QByteArray& tag = {}) const;
    // What the confirmation's replies say: printed, or the fault they show (real-time status only;
    // the printer then holds the request).
    Outcome judge(const ExchangeOutcome& outcome) const;

private:
    StatusLevel m_level;
};

} // namespace device
