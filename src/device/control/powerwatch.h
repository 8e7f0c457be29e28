#pragma once

#include "device/control/resultfunnel.h"
#include "device/link/printerlink.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace device {

// PowerNotify and PowerState of a control on a printer's link. While started (the device enabled
// with PowerNotify on) it follows whether the printer is there: automatic status and real-time
// replies that say offline, a light real-time poll while the link is idle, and the link closing.
// Each change of state is announced once; the control turns it into a StatusUpdateEvent.
class PowerWatch : public QObject {
    Q_OBJECT
public:
    explicit PowerWatch(QObject* parent = nullptr);
    ~PowerWatch() override;

    // PowerNotify may change only while the device is disabled.
    Outcome setNotify(bool open, bool enabled, qint32 value);
    qint32 notify() const { return m_notify; }
    void reset(); // back to PowerNotify off, as at Open

    // Begins following link when PowerNotify is on; the first state comes from the status the
    // enable has just read, and is announced only when the printer is not online.
    void start(const std::shared_ptr<PrinterLink>& link);
    void stop();
    qint32 state() const { return m_state; } // OPOS_PS_UNKNOWN unless started

    static constexpr int kPollIntervalMs = 1000;
    // A real-time reply takes milliseconds; waiting longer than this for one means the printer
    // is gone, whatever the link's own (longer) reply time-out says.
    static constexpr int kAnswerWithinMs = 800;

Q_SIGNALS:
    void stateChanged(qint32 statusUpdateCode);

private:
    void poll();
    void onPollAnswered(const ExchangeOutcome& outcome);
    void onStatusChanged(const PrinterStatus& status);
    void enter(qint32 state);
    qint32 silentState() const;
    void cancelPoll();

    std::shared_ptr<PrinterLink> m_link;
    QTimer m_pollTimer;
    quint64 m_poll = 0; // the outstanding poll exchange, 0 when none
    qint32 m_notify = opos::OPOS_PN_DISABLED;
    qint32 m_state = opos::OPOS_PS_UNKNOWN;
};

} // namespace device
