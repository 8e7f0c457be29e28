#pragma once

#include "device/link/printerstatus.h"
#include "device/profile/printerprofile.h"
#include "opos/oposconstants.h"

#include <QString>

namespace device {

class ControlCore;

// Turns what the printer reports into the receipt station's properties and StatusUpdateEvents:
// cover, paper end and near end (as far as the printer has the sensor), the error properties of
// a failed request, and PTR_SUE_IDLE when FlagWhenIdle asked for it.
class StatusReporter {
public:
    explicit StatusReporter(ControlCore& core) : m_core(core) {}

    void open(const PrinterProfile& profile);
    void close();

    // A new status from the printer. onlyFaults: at enable, where a printer in order raises nothing
    // and a fault already there is reported at once.
    void report(const PrinterStatus& status, bool onlyFaults);
    // An asynchronous request failed: the error properties tell which fault halted the output.
    void noteFailure(qint32 code, qint32 extended);
    void setFlagWhenIdle(bool flag) { m_flagWhenIdle = flag; }
    // Nothing is left to print: PTR_SUE_IDLE, once, when FlagWhenIdle is set.
    void outputIdle();

    bool coverOpen() const { return m_coverOpen; }
    bool recEmpty() const { return m_recEmpty; }
    bool recNearEnd() const { return m_recNearEnd; }
    qint32 errorLevel() const { return m_errorLevel; }
    qint32 errorStation() const { return m_errorStation; }
    const QString& errorString() const { return m_errorString; }
    bool flagWhenIdle() const { return m_flagWhenIdle; }

private:
    void post(qint32 code);

    ControlCore& m_core;
    bool m_coverSensor = false, m_emptySensor = false, m_nearEndSensor = false;
    bool m_coverOpen = false;
    bool m_recEmpty = false;
    bool m_recNearEnd = false;
    qint32 m_errorLevel = opos::PTR_EL_NONE;
    qint32 m_errorStation = 0;
    QString m_errorString;
    bool m_flagWhenIdle = false;
};

} // namespace device
