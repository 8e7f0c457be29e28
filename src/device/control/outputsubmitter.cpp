#include "device/control/outputsubmitter.h"

#include "device/control/completionrule.h"
#include "device/control/controlcore.h"
#include "device/control/receiptcomposer.h"
#include "device/control/statisticscatalog.h"
#include "device/control/syncwait.h"
#include "device/escpos/escposencoder.h"

#include <QDeadlineTimer>

namespace device {

using namespace opos;

OutputSubmitter::OutputSubmitter(ControlCore& core, ReceiptComposer& composer, QObject* parent)
    : QObject(parent), m_core(core), m_composer(composer), m_output(this) {
    connect(&m_output, &OutputQueue::completed, this, &OutputSubmitter::onCompleted);
    connect(&m_output, &OutputQueue::failed, this, &OutputSubmitter::onFailed);
    connect(&m_output, &OutputQueue::drained, this, &OutputSubmitter::drained);
}

void OutputSubmitter::close() {
    m_output.setLink(nullptr);
    m_async = false;
    m_outputId = 0;
}

std::optional<Outcome> OutputSubmitter::busyCheck() const {
    if (!m_async && m_output.hasPending())
        return Outcome(OPOS_E_BUSY);
    return std::nullopt;
}

Outcome OutputSubmitter::submit(const QByteArray& bytes, Delivery delivery) {
    OutputRequest request;
    const QByteArray setup = m_composer.takeSetup();
    const PrintTally tally = std::exchange(m_nextTally, {});
    // A transaction holds everything until it ends; a call in it completes with it.
    if (m_transaction && delivery == Delivery::AsCalled) {
        *m_transaction += setup + bytes;
        m_transactionTally += tally;
        return holdForBlock();
    }
    request.bytes = setup + bytes;
    request.lineState = m_composer.lineState();
    if (m_async && delivery == Delivery::AsCalled) {
        request.id = ++m_outputId;
        request.synchronous = false;
        m_requestTallies.insert(request.id, tally);
        m_output.enqueue(request);
        return OPOS_SUCCESS;
    }
    request.id = --m_syncCounter;
    m_syncId = request.id;
    m_syncOutcome.reset();
    m_output.enqueue(request);
    // Each step of a request is bounded by its own time-out (a dropped connection is opened again
    // first); this only guards against a bug.
    const LinkTimings& t = m_core.timings();
    const QDeadlineTimer guard(saturatedMs(qint64(t.openTimeoutMs) + 3 * qint64(t.replyTimeoutMs) + 1000));
    const auto remainingMs = [&guard] { return static_cast<int>(guard.remainingTime()); };
    waitUntil([this] { return m_syncOutcome.has_value() || m_output.isHalted(); }, remainingMs());
    // Asynchronous output ahead of this request failed, and the queue waits for the answer to
    // its ErrorEvent: this request is taken back and fails as that one did.
    if (!m_syncOutcome && m_output.isHalted() && m_output.discard(request.id))
        m_syncOutcome = m_haltedBy;
    if (!m_syncOutcome && !waitUntil([this] { return m_syncOutcome.has_value(); }, remainingMs())) {
        qCWarning(lcDevice) << "synchronous output did not finish; dropped";
        m_output.clear();
        m_syncOutcome = Outcome(OPOS_E_TIMEOUT);
    }
    if (m_syncOutcome->code != OPOS_SUCCESS)
        m_composer.putBackSetup(setup);
    else
        tally.countInto(m_core.statistics());
    return *m_syncOutcome;
}

Outcome OutputSubmitter::holdForBlock() {
    if (m_async)
        (m_composer.isBlockOpen() ? m_blockIds : m_transactionIds).append(++m_outputId);
    return OPOS_SUCCESS;
}

Outcome OutputSubmitter::nothingToPrint() {
    return m_async || m_composer.hasSetup() ? submit(QByteArray()) : Outcome(OPOS_SUCCESS);
}

// The block's calls complete with the request that printed it, or inside a transaction with the
// transaction.
void OutputSubmitter::blockPrinted() {
    if (m_async && m_transaction)
        m_transactionIds += std::exchange(m_blockIds, {});
    else if (m_async)
        m_heldCompletions.insert(m_outputId, std::exchange(m_blockIds, {}));
}

Outcome OutputSubmitter::endTransaction() {
    if (!m_transaction)
        return nothingToPrint();
    const QByteArray bytes = *std::exchange(m_transaction, std::nullopt);
    const QList<qint32> held = std::exchange(m_transactionIds, {});
    const PrintTally tally = std::exchange(m_transactionTally, {});
    m_nextTally += tally;
    const Outcome outcome = submit(bytes);
    if (outcome.code == OPOS_SUCCESS && m_async) {
        m_heldCompletions.insert(m_outputId, held);
    } else if (outcome.code != OPOS_SUCCESS) {
        m_transaction = bytes;
        m_transactionIds = held;
        m_transactionTally = tally;
    }
    return outcome;
}

Outcome OutputSubmitter::printNow(const QByteArray& bytes, const PrintTally& tally) {
    PrinterLink& link = *m_core.link();
    const CompletionRule rule = CompletionRule::of(link);
    if (rule.checksReadiness()) {
        const std::optional<ExchangeOutcome> ready =
            exchangeAndWait(link, readyCheckBytes(), readyCheckQueries());
        const ReadyCheck check = evaluateReadyCheck(ready.value_or(ExchangeOutcome{}));
        if (check.code != OPOS_SUCCESS)
            return Outcome(check.code, check.extended);
    }
    const CompletionRule::Confirmation confirmation = rule.confirmation();
    const std::optional<ExchangeOutcome> written =
        exchangeAndWait(link, bytes + confirmation.bytes, confirmation.queries);
    if (!written)
        return OPOS_E_TIMEOUT;
    switch (written->result) {
    case ExchangeOutcome::Result::Answered: {
        const Outcome judged = rule.judge(*written);
        if (judged.code != OPOS_SUCCESS)
            return judged.because(heldReason());
        tally.countInto(m_core.statistics());
        return OPOS_SUCCESS;
    }
    case ExchangeOutcome::Result::Faulted: {
        const PrinterStatus status = link.status();
        return Outcome(OPOS_E_EXTENDED, status.coverOpen ? OPOS_EPTR_COVER_OPEN : OPOS_EPTR_REC_EMPTY);
    }
    case ExchangeOutcome::Result::LinkDown:
        return OPOS_E_NOHARDWARE;
    case ExchangeOutcome::Result::TimedOut:
    case ExchangeOutcome::Result::Garbled:
        break;
    }
    return OPOS_E_TIMEOUT;
}

QString OutputSubmitter::heldReason() {
    return QStringLiteral("the printer holds what was sent and prints it once the fault is put right: it "
                          "answers no command that clears it, so sending it again prints it twice");
}

void OutputSubmitter::clear() {
    m_heldCompletions.clear();
    m_blockIds.clear();
    m_transaction.reset(); // clearing output ends a transaction with what it held
    m_transactionIds.clear();
    m_transactionTally = m_nextTally = {};
    m_requestTallies.clear();
    m_output.clear();
}

void OutputSubmitter::onCompleted(qint32 id, bool synchronous) {
    if (synchronous) {
        if (id == m_syncId)
            m_syncOutcome = Outcome(OPOS_SUCCESS);
        return;
    }
    m_requestTallies.take(id).countInto(m_core.statistics());
    for (const qint32 held : m_heldCompletions.take(id))
        m_core.post(PendingEvent::Kind::OutputComplete, held);
    m_core.post(PendingEvent::Kind::OutputComplete, id);
}

void OutputSubmitter::onFailed(qint32 id, bool synchronous, qint32 code, qint32 extended, bool printerHolds) {
    m_core.statistics().increment(statistic::PrinterFaultCount);
    if (code == OPOS_E_NOHARDWARE || code == OPOS_E_TIMEOUT)
        m_core.statistics().increment(statistic::CommunicationErrorCount);
    if (synchronous) {
        if (id == m_syncId)
            m_syncOutcome =
                printerHolds ? Outcome(code, extended).because(heldReason()) : Outcome(code, extended);
        return;
    }
    m_haltedBy = Outcome(code, code == OPOS_E_EXTENDED ? extended : 0);
    Q_EMIT halted(code, extended);
}

} // namespace device
