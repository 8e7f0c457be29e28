#pragma once

#include "device/control/eventqueue.h"
#include "device/devicelog.h"
#include "opos/oposconstants.h"

#include <QString>

#include <exception>

namespace device {

// The outcome of one call on a control, with the reason behind it where the control knows more
// than the code says (the text the status line's hover and --check-devices show).
struct Outcome {
    Outcome(qint32 c = opos::OPOS_SUCCESS, qint32 e = 0) : code(c), extended(e) {}
    Outcome because(const QString& why) const {
        Outcome outcome = *this;
        outcome.reason = why;
        return outcome;
    }
    qint32 code;
    qint32 extended;
    QString reason;
};

// The one place where a control's ResultCode and ResultCodeExtended are set: the extended code
// only stands with OPOS_E_EXTENDED and is 0 otherwise. The reason goes with the call that gave it:
// why it failed, or what a success leaves unseen (a printer that answers less).
class ResultFunnel {
public:
    qint32 settle(const Outcome& outcome) {
        m_code = outcome.code;
        m_extended = outcome.code == opos::OPOS_E_EXTENDED ? outcome.extended : 0;
        m_reason = outcome.reason;
        return m_code;
    }
    qint32 code() const { return m_code; }
    qint32 extended() const { return m_extended; }
    const QString& reason() const { return m_reason; }

private:
    qint32 m_code = opos::OPOS_SUCCESS;
    qint32 m_extended = 0;
    QString m_reason;
};

// A call as traces name it: "PosPrinter.PrintNormal".
struct CallName {
    const char* device;
    const char* method;
    QString text() const { return QLatin1String(device) + QLatin1Char('.') + QLatin1String(method); }
};

// Runs one call on a control: brackets it for the event queue, turns anything thrown below into
// OPOS_E_FAILURE with a trace, and settles the result.
template <typename Body>
qint32 runCall(ResultFunnel& funnel, EventQueue& events, const CallName& name, Body&& body) {
    CallScope scope(events);
    Outcome outcome;
    try {
        outcome = body();
    } catch (const std::exception& e) {
        qCCritical(lcDevice).noquote() << name.text() << "failed unexpectedly:" << e.what();
        outcome = Outcome(opos::OPOS_E_FAILURE);
    } catch (...) {
        qCCritical(lcDevice).noquote() << name.text() << "failed unexpectedly";
        outcome = Outcome(opos::OPOS_E_FAILURE);
    }
    if (outcome.code != opos::OPOS_SUCCESS)
        qCDebug(lcDevice).noquote() << name.text() << "->" << outcome.code << outcome.extended
                                    << outcome.reason;
    return funnel.settle(outcome);
}

// Version numbers as OPOS encodes them: major * 1000000 + minor * 1000 + build.
inline constexpr qint32 kControlObjectVersion = 1008010;
inline constexpr qint32 kServiceObjectVersion = 1008010;

} // namespace device
