#include "device/control/outputqueue.h"

#include "device/control/completionrule.h"
#include "device/devicelog.h"
#include "device/escpos/escposencoder.h"
#include "opos/oposconstants.h"

#include <QPointer>
#include <QRandomGenerator>

#include <algorithm>

namespace device {

using namespace opos;

QByteArray readyCheckBytes() {
    return EscPos::realtimeStatus(1) + EscPos::realtimeStatus(2) + EscPos::realtimeStatus(4);
}

QList<StatusQuery> readyCheckQueries() {
    return {
        {StatusQuery::Kind::RealTime, 1}, {StatusQuery::Kind::RealTime, 2}, {StatusQuery::Kind::RealTime, 4}};
}

ReadyCheck evaluateReadyCheck(const ExchangeOutcome& outcome) {
    if (outcome.result == ExchangeOutcome::Result::Garbled)
        return {OPOS_E_NOHARDWARE, 0, QStringLiteral("Answers, but not ESC/POS")};
    if (outcome.result != ExchangeOutcome::Result::Answered || outcome.replies.size() < 3)
        return {OPOS_E_NOHARDWARE, 0, QStringLiteral("Not Responding")};
    if (outcome.replies.at(1) & 0x04)
        return {OPOS_E_EXTENDED, OPOS_EPTR_COVER_OPEN, QStringLiteral("Cover Open")};
    if (outcome.replies.at(2) & 0x60)
        return {OPOS_E_EXTENDED, OPOS_EPTR_REC_EMPTY, QStringLiteral("Paper Empty")};
    if (outcome.replies.at(0) & 0x08)
        return {OPOS_E_OFFLINE, 0, QStringLiteral("Offline")};
    return {OPOS_SUCCESS, 0, QStringLiteral("Successful")};
}

OutputQueue::OutputQueue(QObject* parent)
    : QObject(parent), m_tagCounter(QRandomGenerator::global()->generate()) {}

OutputQueue::~OutputQueue() {
    if (m_link && m_exchange)
        m_link->cancel(m_exchange);
}

void OutputQueue::setLink(std::shared_ptr<PrinterLink> link) {
    clear();
    disconnect(m_processIdConnection);
    m_link = std::move(link);
    m_restoreLineState = false;
    if (m_link)
        m_processIdConnection =
            connect(m_link.get(), &PrinterLink::processIdDone, this, &OutputQueue::onProcessIdDone);
}

void OutputQueue::enqueue(const OutputRequest& request) {
    m_requests.push_back({request, {}, false, false});
    if (!m_running && !m_halted)
        startHead();
}

void OutputQueue::resume() {
    m_halted = false;
    if (!m_running && !m_requests.empty())
        startHead();
}

void OutputQueue::clear() {
    if (m_link && m_exchange)
        m_link->cancel(m_exchange);
    m_exchange = 0;
    const bool printerHolds = std::any_of(m_requests.cbegin(), m_requests.cend(),
                                          [](const Pending& p) { return p.written && !p.confirmed; });
    m_running = false;
    m_halted = false;
    m_requests.clear();
    if (printerHolds)
        discardPrinterBuffer();
}

CompletionRule OutputQueue::rule() const {
    return CompletionRule::of(*m_link);
}

bool OutputQueue::discard(qint32 id) {
    const auto it = std::find_if(m_requests.begin(), m_requests.end(),
                                 [id](const Pending& p) { return p.request.id == id; });
    if (it == m_requests.end() || it->written || (it == m_requests.begin() && m_running))
        return false;
    m_requests.erase(it);
    return true;
}

// Four characters from 21h to 7Eh, counted on from a random start so that a reply owed to an
// earlier run of the program cannot match.
QByteArray OutputQueue::nextTag() {
    quint32 n = m_tagCounter++;
    QByteArray tag(4, '!');
    for (char& c : tag) {
        c = char(0x21 + n % 94);
        n /= 94;
    }
    return tag;
}

void OutputQueue::run(const QByteArray& bytes, const QList<StatusQuery>& queries, bool abortOnFault,
                      std::function<void(const ExchangeOutcome&)> then) {
    QPointer<OutputQueue> self(this);
    m_exchange = m_link->exchange(bytes, queries, abortOnFault,
                                  [self, then = std::move(then)](const ExchangeOutcome& o) {
                                      if (!self)
                                          return;
                                      self->m_exchange = 0;
                                      then(o);
                                  });
}

void OutputQueue::startHead() {
    if (m_requests.empty())
        return;
    m_running = true;
    if (!m_link) {
        QMetaObject::invokeMethod(
            this, [this] { fail(OPOS_E_NOHARDWARE, 0); }, Qt::QueuedConnection);
        return;
    }
    if (!rule().checksReadiness()) {
        // A printer that answers nothing is not asked first; a request once written is done.
        if (m_requests.front().written)
            completeHead();
        else
            writeHead();
        return;
    }
    run(readyCheckBytes(), readyCheckQueries(), false, [this](const ExchangeOutcome& o) { onReadyCheck(o); });
}

void OutputQueue::onReadyCheck(const ExchangeOutcome& outcome) {
    const ReadyCheck check = evaluateReadyCheck(outcome);
    const Pending& head = m_requests.front();
    if (check.code != OPOS_SUCCESS) {
        qCInfo(lcDevice) << "output request" << head.request.id << "not printed:" << check.text;
        fail(check.code, check.extended);
    } else if (head.confirmed) {
        completeHead(); // confirmed while the queue waited for the fault to clear
    } else if (head.written) {
        askBehindHead();
    } else {
        writeHead();
    }
}

void OutputQueue::writeHead() {
    Pending& head = m_requests.front();
    head.tag = nextTag();
    head.written = true;
    QByteArray bytes = head.request.bytes;
    if (std::exchange(m_restoreLineState, false))
        bytes.prepend(head.request.lineState);
    const CompletionRule::Confirmation confirmation = rule().confirmation(head.tag);
    run(bytes + confirmation.bytes, confirmation.queries, true,
        [this](const ExchangeOutcome& o) { onWritten(o); });
}

void OutputQueue::onWritten(const ExchangeOutcome& outcome) {
    if (outcome.result != ExchangeOutcome::Result::Answered) {
        onFault(outcome);
        return;
    }
    // Real-time status read behind the request: a fault it shows stops the printer with the
    // request in its buffer, which it prints when the fault clears.
    const Outcome judged = rule().judge(outcome);
    if (judged.code != OPOS_SUCCESS) {
        qCInfo(lcDevice) << "output request" << m_requests.front().request.id
                         << "held by the printer:" << judged.code << judged.extended;
        fail(judged.code, judged.extended);
        return;
    }
    completeHead();
}

// After a fault the printer may still hold the head. An ID written now is answered only once all
// before it has printed; as replies come in order, the head's own ID has come by then if the
// printer kept it. If it did not (switched off, or its buffer cleared at the printer), it is
// written again. Without IDs the printer's word that all has printed is all there is: an in-order
// status, or for a printer that answers real-time status only the ready check that just passed.
void OutputQueue::askBehindHead() {
    const CompletionRule completion = rule();
    if (!completion.namesRequests() && completion.level() != StatusLevel::InOrder) {
        completeHead();
        return;
    }
    const CompletionRule::Confirmation behind = completion.confirmation(nextTag());
    run(behind.bytes, behind.queries, true, [this](const ExchangeOutcome& o) { onAskedBehind(o); });
}

void OutputQueue::onAskedBehind(const ExchangeOutcome& outcome) {
    if (outcome.result != ExchangeOutcome::Result::Answered) {
        onFault(outcome);
        return;
    }
    Pending& head = m_requests.front();
    if (head.confirmed || !rule().namesRequests()) {
        completeHead();
        return;
    }
    qCInfo(lcDevice) << "output request" << head.request.id << "was lost by the printer; written again";
    head.written = false;
    m_restoreLineState = true;
    writeHead();
}

void OutputQueue::onFault(const ExchangeOutcome& outcome) {
    switch (outcome.result) {
    case ExchangeOutcome::Result::Faulted: {
        const PrinterStatus status = m_link->status();
        const qint32 extended = status.coverOpen ? OPOS_EPTR_COVER_OPEN : OPOS_EPTR_REC_EMPTY;
        if (status.paperEnd)
            clearPrinterThenFail(OPOS_E_EXTENDED, extended);
        else
            fail(OPOS_E_EXTENDED, extended); // the printer keeps the rest and goes on when closed
        return;
    }
    case ExchangeOutcome::Result::TimedOut:
        // It answered the ready check a moment ago but did not get through the job.
        fail(OPOS_E_OFFLINE, 0);
        return;
    case ExchangeOutcome::Result::Garbled:
        fail(OPOS_E_NOHARDWARE, 0);
        return;
    case ExchangeOutcome::Result::LinkDown:
        // A printer that went away has lost what it held; it gets the request again.
        m_requests.front().written = false;
        m_restoreLineState = true;
        fail(OPOS_E_NOHARDWARE, 0);
        return;
    case ExchangeOutcome::Result::Answered:
        break;
    }
}

// Paper ran out: the line the printer stopped in may be lost, so what it holds is cleared at once
// and the unconfirmed request is written again in full on resume. Without process IDs what has
// printed is unknown; the printer is left to go on by itself.
void OutputQueue::clearPrinterThenFail(qint32 code, qint32 extended) {
    if (!rule().clearsBuffer()) {
        fail(code, extended);
        return;
    }
    run(EscPos::clearBuffers(), {StatusQuery(StatusQuery::Kind::BuffersCleared)}, false,
        [this, code, extended](const ExchangeOutcome& o) {
            Pending& head = m_requests.front();
            if (o.result == ExchangeOutcome::Result::Answered && !head.confirmed) {
                head.written = false;
                m_restoreLineState = true;
            }
            fail(code, extended);
        });
}

void OutputQueue::completeHead() {
    const OutputRequest done = m_requests.front().request;
    m_requests.pop_front();
    m_running = false;
    if (!m_requests.empty())
        startHead();
    Q_EMIT completed(done.id, done.synchronous);
    if (m_requests.empty() && !m_running)
        Q_EMIT drained();
}

void OutputQueue::fail(qint32 code, qint32 extended) {
    m_running = false;
    if (m_requests.empty())
        return;
    const Pending head = m_requests.front();
    const bool printerHolds = head.written && !head.confirmed && !rule().clearsBuffer();
    if (head.request.synchronous) {
        // The caller is told it failed: nothing of it may come out later.
        m_requests.pop_front();
        if (head.written && !head.confirmed)
            discardPrinterBuffer();
        if (!m_requests.empty())
            startHead();
    } else {
        m_halted = true;
    }
    Q_EMIT failed(head.request.id, head.request.synchronous, code, extended, printerHolds);
    if (m_requests.empty() && !m_running)
        Q_EMIT drained();
}

// DLE DC4 fn 8 acts at once, even while the printer is stopped; the next request restores the
// line state the clear took away. A printer that does not know it keeps what it holds and prints
// it when it can: that is said, not hidden.
void OutputQueue::discardPrinterBuffer() {
    if (!m_link || !m_link->isOpen())
        return;
    if (!rule().clearsBuffer()) {
        qCWarning(lcDevice).noquote() << m_link->connection()
                                      << "keeps what it holds of the discarded output: it answers no command "
                                         "that clears its buffer";
        return;
    }
    m_restoreLineState = true;
    m_link->exchange(EscPos::clearBuffers(), {}, false, [](const ExchangeOutcome&) {});
}

void OutputQueue::onProcessIdDone(const QByteArray& tag) {
    for (Pending& pending : m_requests)
        if (pending.written && pending.tag == tag)
            pending.confirmed = true;
}

} // namespace device
