#pragma once

#include "device/link/printerlink.h"

#include <QObject>

#include <deque>
#include <functional>
#include <memory>

namespace device {

class CompletionRule;

struct OutputRequest {
    qint32 id = 0;
    QByteArray bytes;
    bool synchronous = true;
    // What puts a cleared printer into the state this request starts from (initialise, code page,
    // automatic status, rotation); written before it when the printer's buffer was cleared.
    QByteArray lineState;
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
// write the bytes followed by what the completion rule of the printer's answers puts behind them
// (a process ID the printer names once it has printed, GS r 1, a real-time status, or nothing for
// a printer that answers nothing) and wait for its reply. A late reply names an earlier request and
// completes nothing.
//
// A failed asynchronous request halts the queue until the control resumes (retry) or clears it.
// Every request reaches the paper once: a request the printer still holds after a cover or offline
// fault is not written again; on resume the queue asks for a fresh ID behind it and completes the
// request when the printer confirms it. When the paper runs out, the printer's buffer is cleared
// at once (the line it stopped in may be lost) and the unconfirmed request is written again on
// resume, after the line state is restored.
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
    // Discards every request; what the printer holds of them is cleared from its buffer.
    void clear();
    // Takes back one request that has not gone out yet; false when it is out or unknown.
    bool discard(qint32 id);

Q_SIGNALS:
    void completed(qint32 id, bool synchronous);
    // printerHolds: the printer keeps the request's bytes and prints them once the fault is put
    // right, as it answers no command that clears them.
    void failed(qint32 id, bool synchronous, qint32 code, qint32 extended, bool printerHolds);
    void drained();

private:
    struct Pending {
        OutputRequest request;
        QByteArray tag;         // the process ID it was written with
        bool written = false;   // its bytes went out and the printer may hold them
        bool confirmed = false; // the printer named its ID: it is on the paper
    };

    CompletionRule rule() const;
    void startHead();
    void onReadyCheck(const ExchangeOutcome& outcome);
    void writeHead();
    void onWritten(const ExchangeOutcome& outcome);
    void askBehindHead();
    void onAskedBehind(const ExchangeOutcome& outcome);
    void onFault(const ExchangeOutcome& outcome);
    void clearPrinterThenFail(qint32 code, qint32 extended);
    void completeHead();
    void fail(qint32 code, qint32 extended);
    void discardPrinterBuffer();
    void onProcessIdDone(const QByteArray& tag);
    QByteArray nextTag();
    void run(const QByteArray& bytes, const QList<StatusQuery>& queries, bool abortOnFault,
             std::function<void(const ExchangeOutcome&)> then);

    std::shared_ptr<PrinterLink> m_link;
    QMetaObject::Connection m_processIdConnection;
    std::deque<Pending> m_requests;
    quint64 m_exchange = 0; // the link exchange of the running request, 0 when none
    bool m_running = false;
    bool m_halted = false;
    bool m_restoreLineState = false; // the printer's buffer was cleared since the last write
    quint32 m_tagCounter = 0;
};

} // namespace device
