#pragma once

#include "device/link/printerstatus.h"

#include <QObject>
#include <QTimer>

namespace device {

class ControlCore;
class OutputSubmitter;

// What happens to halted output after its ErrorEvent. Clear drops it; Retry resumes it once the
// printer can print again: a cover, paper or offline fault when the printer reports it gone (no
// further event while it lasts); a printer that did not answer after it is found answering again,
// asked quietly every reply time-out, so a printer left switched off raises no event after the
// first.
class FaultRecovery : public QObject {
    Q_OBJECT
public:
    FaultRecovery(ControlCore& core, OutputSubmitter& output, QObject* parent = nullptr);
    ~FaultRecovery() override;

    enum class Answer { Retrying, Cleared };
    // The application's ErrorResponse to the ErrorEvent of halted output.
    Answer answer(qint32 response);
    // A new status: output waiting for a fault to clear resumes when it has.
    void statusChanged(const PrinterStatus& status);
    // Output is given up (ClearOutput, disable, release): no retry is pending any more.
    void clearOutput();

private:
    void stop();
    void retryNow();
    void retryWhenAnswering();

    ControlCore& m_core;
    OutputSubmitter& m_output;
    QTimer m_retryTimer;
    quint64 m_retryProbe = 0;       // the exchange asking a silent printer whether it is back
    bool m_retryOnRecovery = false; // a failed request waits for the fault to clear
};

} // namespace device
