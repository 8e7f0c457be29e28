#include "device/control/outputqueue.h"

#include "device/devicelog.h"
#include "device/escpos/escposencoder.h"
#include "opos/oposconstants.h"

#include <QPointer>

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

OutputQueue::OutputQueue(QObject* parent) : QObject(parent) {}

OutputQueue::~OutputQueue() {
    if (m_link && m_exchange)
        m_link->cancel(m_exchange);
}

void OutputQueue::setLink(std::shared_ptr<PrinterLink> link) {
    clear();
    m_link = std::move(link);
}

void OutputQueue::enqueue(const OutputRequest& request) {
    m_requests.push_back(request);
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
    m_running = false;
    m_halted = false;
    m_requests.clear();
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
    QPointer<OutputQueue> self(this);
    m_exchange =
        m_link->exchange(readyCheckBytes(), readyCheckQueries(), false, [self](const ExchangeOutcome& o) {
            if (self)
                self->onReadyCheck(o);
        });
}

void OutputQueue::onReadyCheck(const ExchangeOutcome& outcome) {
    m_exchange = 0;
    const ReadyCheck check = evaluateReadyCheck(outcome);
    if (check.code != OPOS_SUCCESS) {
        qCInfo(lcDevice) << "output request" << m_requests.front().id << "not printed:" << check.text;
        fail(check.code, check.extended);
        return;
    }
    QPointer<OutputQueue> self(this);
    m_exchange = m_link->exchange(m_requests.front().bytes + EscPos::transmitStatus(1),
                                  {{StatusQuery::Kind::Transmit, 1}}, true, [self](const ExchangeOutcome& o) {
                                      if (self)
                                          self->onWritten(o);
                                  });
}

void OutputQueue::onWritten(const ExchangeOutcome& outcome) {
    m_exchange = 0;
    switch (outcome.result) {
    case ExchangeOutcome::Result::Answered: {
        const OutputRequest done = m_requests.front();
        m_requests.pop_front();
        m_running = false;
        if (!m_requests.empty())
            startHead();
        Q_EMIT completed(done.id, done.synchronous);
        if (m_requests.empty() && !m_running)
            Q_EMIT drained();
        return;
    }
    case ExchangeOutcome::Result::Faulted:
        if (m_link->status().coverOpen)
            fail(OPOS_E_EXTENDED, OPOS_EPTR_COVER_OPEN);
        else
            fail(OPOS_E_EXTENDED, OPOS_EPTR_REC_EMPTY);
        return;
    case ExchangeOutcome::Result::TimedOut:
        // It answered the ready check a moment ago but did not get through the job.
        fail(OPOS_E_OFFLINE, 0);
        return;
    case ExchangeOutcome::Result::LinkDown:
        fail(OPOS_E_NOHARDWARE, 0);
        return;
    }
}

void OutputQueue::fail(qint32 code, qint32 extended) {
    m_running = false;
    if (m_requests.empty())
        return;
    const OutputRequest request = m_requests.front();
    if (request.synchronous) {
        m_requests.pop_front();
        if (!m_requests.empty())
            startHead();
    } else {
        m_halted = true;
    }
    Q_EMIT failed(request.id, request.synchronous, code, extended);
    if (m_requests.empty() && !m_running)
        Q_EMIT drained();
}

} // namespace device
