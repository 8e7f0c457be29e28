#pragma once

#include "device/link/printerlink.h"

#include <QObject>

#include <deque>
#include <memory>

namespace device {

struct OutputRequest {
    qint32 id = 0;
    QByteArray bytes;
    bool synchronous = true;
};

// The result of asking the printer whether it can print: DLE EOT 1, 2 and 4 replies.
struct ReadyCheck {
    qint32 code = 0; // OPOS_SUCCESS, OPOS_E_EXTENDED, OPOS_E_OFFLINE or OPOS_E_NOHARDWARE
    qint32 extended = 0;
    QString text; // for CheckHealthText: "Successful", "Cover Open", ...
};
QByteArray readyCheckBytes();
QList<StatusQuery> readyCheckQueries();
ReadyCheck evaluateReadyCheck(const ExchangeOutcome& outcome);

// The one output path of a printer control. Requests run one at a time from the event loop:
// ask whether the printer can print (cover, paper, online; nothing is written when it cannot),
// write the bytes followed by GS r 1 and wait for that in-order reply, which says the bytes are
// through. A failed asynchronous request halts the queue until the control resumes (retry) or
// clears it.
class OutputQueue : public QObject {
    Q_OBJECT
public:
    explicit OutputQueue(QObject* parent = nullptr);
    ~OutputQueue() override;

    void setLink(std::shared_ptr<PrinterLink> link);
    void enqueue(const OutputRequest& request);
    bool hasPending() const { return !m_requests.empty(); }
    bool isHalted() const { return m_halted; }
    void resume();
    void clear();

Q_SIGNALS:
    void completed(qint32 id, bool synchronous);
    void failed(qint32 id, bool synchronous, qint32 code, qint32 extended);
    void drained();

private:
    void startHead();
    void onReadyCheck(const ExchangeOutcome& outcome);
    void onWritten(const ExchangeOutcome& outcome);
    void fail(qint32 code, qint32 extended);

    std::shared_ptr<PrinterLink> m_link;
    std::deque<OutputRequest> m_requests;
    quint64 m_exchange = 0; // the link exchange of the running request, 0 when none
    bool m_running = false;
    bool m_halted = false;
};

} // namespace device
