#pragma once

#include "device/control/outputqueue.h"
#include "device/control/printtally.h"
#include "device/control/resultfunnel.h"

#include <QHash>
#include <QObject>

#include <memory>
#include <optional>

namespace device {

class ControlCore;
class ReceiptComposer;

// Hands composed output to the output queue and waits where OPOS says the caller waits: a
// synchronous call until its request has printed (or failed), an asynchronous one not at all, its
// OutputCompleteEvent following when the printer confirms it. It keeps what a transaction or an
// open sideways block holds until it ends, the output IDs of the calls held with them, and what
// each request will count into the statistics once printed.
class OutputSubmitter : public QObject {
    Q_OBJECT
public:
    OutputSubmitter(ControlCore& core, ReceiptComposer& composer, QObject* parent = nullptr);

    void setLink(std::shared_ptr<PrinterLink> link) { m_output.setLink(std::move(link)); }
    void close();

    void setAsync(bool async) { m_async = async; }
    bool isAsync() const { return m_async; }
    qint32 outputId() const { return m_outputId; }
    bool hasPending() const { return m_output.hasPending(); }
    bool isHalted() const { return m_output.isHalted(); }
    // A synchronous call while output is still queued answers OPOS_E_BUSY.
    std::optional<Outcome> busyCheck() const;

    // What the request being built will count once printed.
    void addTally(const PrintTally& tally) { m_nextTally += tally; }

    enum class Delivery { AsCalled, Synchronous };
    // The bytes, behind the composer's setup, as one request: held by an open transaction,
    // queued (asynchronous) or printed before it returns (synchronous, or Delivery::Synchronous).
    Outcome submit(const QByteArray& bytes, Delivery delivery = Delivery::AsCalled);
    // A call taken into the open sideways block or transaction gets its OutputID now (when
    // asynchronous) and completes when the block or transaction has printed.
    Outcome holdForBlock();
    // A call with nothing to send still completes in its turn when asynchronous.
    Outcome nothingToPrint();
    // The sideways block went out: the calls it held complete with it.
    void blockPrinted();

    bool inTransaction() const { return m_transaction.has_value(); }
    void beginTransaction() { m_transaction.emplace(); }
    // The whole transaction is one request; the calls it held complete with it. One that did not
    // print stays open for another try.
    Outcome endTransaction();

    // Writes straight to the printer ahead of queued output and waits until it has printed.
    Outcome printNow(const QByteArray& bytes, const PrintTally& tally = {});

    // Drops everything queued and held; what the printer holds of it is cleared from its buffer.
    void clear();
    void resume() { m_output.resume(); }

Q_SIGNALS:
    // An asynchronous request failed and the queue waits for the answer to its ErrorEvent.
    void halted(qint32 code, qint32 extended);
    void drained();

private:
    static QString heldReason();
    void onCompleted(qint32 id, bool synchronous);
    void onFailed(qint32 id, bool synchronous, qint32 code, qint32 extended, bool printerHolds);

    ControlCore& m_core;
    ReceiptComposer& m_composer;
    OutputQueue m_output;
    bool m_async = false;
    qint32 m_outputId = 0;
    QList<qint32> m_blockIds;                       // asynchronous calls held in the open sideways block
    std::optional<QByteArray> m_transaction;        // what TransactionPrint holds until it ends
    QList<qint32> m_transactionIds;                 // asynchronous calls held in the transaction
    QHash<qint32, QList<qint32>> m_heldCompletions; // request -> held calls it completes
    PrintTally m_nextTally;                         // of the request being built
    PrintTally m_transactionTally;
    QHash<qint32, PrintTally> m_requestTallies; // of requests sent, until they print
    // the synchronous request being waited for, and how it ended
    qint32 m_syncId = 0;
    qint32 m_syncCounter = 0;
    std::optional<Outcome> m_syncOutcome;
    Outcome m_haltedBy; // how the asynchronous request that halted the queue failed
};

} // namespace device
