#include "device/control/completionrule.h"

#include "device/control/outputqueue.h"
#include "device/escpos/escposencoder.h"

namespace device {

CompletionRule CompletionRule::of(const PrinterLink& link) {
    return CompletionRule(link.answers() ? link.answers()->level() : StatusLevel::ProcessIds);
}

CompletionRule::Confirmation CompletionRule::confirmation(const QByteArray& tag) const {
    switch (m_level) {
    case StatusLevel::ProcessIds:
        if (!tag.isEmpty())
            return {EscPos::processId(tag), {StatusQuery::processId(tag)}};
        [[fallthrough]];
    case StatusLevel::InOrder:
        return {EscPos::transmitStatus(1), {{StatusQuery::Kind::Transmit, 1}}};
    case StatusLevel::RealTime:
        return {readyCheckBytes(), readyCheckQueries()};
    case StatusLevel::None:
        break;
    }
    return {};
}

Outcome CompletionRule::judge(const ExchangeOutcome& outcome) const {
    if (m_level != StatusLevel::RealTime)
        return opos::OPOS_SUCCESS;
    const ReadyCheck check = evaluateReadyCheck(outcome);
    return Outcome(check.code, check.extended);
}

} // namespace device
