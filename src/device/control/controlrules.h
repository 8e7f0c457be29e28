#pragma once

#include "device/control/resultfunnel.h"

#include <optional>

namespace device {

// Rules every control applies the same way.

// What Claim answers before it waits for anything (closed, already claimed, a negative time-out
// other than OPOS_FOREVER); nothing when it has to wait.
inline std::optional<Outcome> claimAnsweredAtOnce(bool open, bool claimed, qint32 timeout) {
    if (!open)
        return Outcome(opos::OPOS_E_CLOSED);
    if (claimed)
        return Outcome(opos::OPOS_SUCCESS);
    if (timeout < opos::OPOS_FOREVER)
        return Outcome(opos::OPOS_E_ILLEGAL);
    return std::nullopt;
}

// How long Claim may wait: its time-out, with OPOS_FOREVER cut to the configured cap.
inline int claimWaitMs(qint32 timeout, int foreverCapMs) {
    return timeout == opos::OPOS_FOREVER ? foreverCapMs : timeout;
}

// Setting DeviceEnabled: refused when closed, nothing to do when it does not change.
template <typename Enable, typename Disable>
Outcome switchEnabled(bool open, bool enabled, bool wanted, Enable&& enable, Disable&& disable) {
    if (!open)
        return opos::OPOS_E_CLOSED;
    if (wanted == enabled)
        return opos::OPOS_SUCCESS;
    if (wanted)
        return enable();
    disable();
    return opos::OPOS_SUCCESS;
}

// Setting BinaryConversion: any time the control is open, to NONE, NIBBLE or DECIMAL.
inline Outcome setBinaryConversion(bool open, qint32& conversion, qint32 wanted) {
    if (!open)
        return opos::OPOS_E_CLOSED;
    if (wanted < opos::OPOS_BC_NONE || wanted > opos::OPOS_BC_DECIMAL)
        return opos::OPOS_E_ILLEGAL;
    conversion = wanted;
    return opos::OPOS_SUCCESS;
}

} // namespace device
