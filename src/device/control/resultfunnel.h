#pragma once

#include "device/control/eventqueue.h"
#include "device/devicelog.h"
#include "opos/oposconstants.h"

#include <exception>

namespace device {

// The outcome of one call on a control.
struct Outcome {
    Outcome(qint32 c = opos::OPOS_SUCCESS, qint32 e = 0) : code(c), extended(e) {}
    qint32 code;
    qint32 extended;
};

// The one place where a control's ResultCode and ResultCodeExtended are set: the extended code
// only stands with OPOS_E_EXTENDED and is 0 otherwise.
class ResultFunnel {
public:
    qint32 settle(const Outcome& outcome) {
        m_code = outcome.code;
        m_extended = outcome.code == opos::OPOS_E_EXTENDED ? outcome.extended : 0;
        return m_code;
    }
    qint32 code() const { return m_code; }
    qint32 extended() const { return m_extended; }

private:
    qint32 m_code = opos::OPOS_SUCCESS;
    qint32 m_extended = 0;
};

// Runs one call on a control: brackets it for the event queue, turns anything thrown below into
// OPOS_E_FAILURE with a trace, and settles the result.
template <typename Body>
qint32 runCall(ResultFunnel& funnel, EventQueue& events, const char* what, Body&& body) {
    CallScope scope(events);
    Outcome outcome;
    try {
        outcome = body();
    } catch (const std::exception& e) {
        qCCritical(lcDevice) << what << "failed unexpectedly:" << e.what();
        outcome = Outcome(opos::OPOS_E_FAILURE);
    } catch (...) {
        qCCritical(lcDevice) << what << "failed unexpectedly";
        outcome = Outcome(opos::OPOS_E_FAILURE);
    }
    if (outcome.code != opos::OPOS_SUCCESS)
        qCDebug(lcDevice) << what << "->" << outcome.code << outcome.extended;
    return funnel.settle(outcome);
}

// Version numbers as OPOS encodes them: major * 1000000 + minor * 1000 + build.
inline constexpr qint32 kControlObjectVersion = 1008010;
inline constexpr qint32 kServiceObjectVersion = 1008010;

} // namespace device
