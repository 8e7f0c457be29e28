#include "device/control/powerwatch.h"

#include "device/devicelog.h"
#include "device/escpos/escposencoder.h"

#include <QPointer>

namespace device {

using namespace opos;

namespace {

constexpr quint8 kOfflineBit = 0x08; // DLE EOT 1

qint32 stateFor(bool offline) {
    return offline ? OPOS_PS_OFFLINE : OPOS_PS_ONLINE;
}

qint32 statusUpdateCodeFor(qint32 state) {
    switch (state) {
    case OPOS_PS_OFF:
        return OPOS_SUE_POWER_OFF;
    case OPOS_PS_OFFLINE:
        return OPOS_SUE_POWER_OFFLINE;
    case OPOS_PS_OFF_OFFLINE:
        return OPOS_SUE_POWER_OFF_OFFLINE;
    default:
        return OPOS_SUE_POWER_ONLINE;
    }
}

} // namespace

PowerWatch::PowerWatch(QObject* parent) : QObject(parent) {
    m_pollTimer.setInterval(kPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &PowerWatch::poll);
}

PowerWatch::~PowerWatch() {
    stop();
}

Outcome PowerWatch::setNotify(bool open, bool enabled, qint32 value) {
    if (!open)
        return OPOS_E_CLOSED;
    if (enabled || (value != OPOS_PN_DISABLED && value != OPOS_PN_ENABLED))
        return OPOS_E_ILLEGAL;
    m_notify = value;
    return OPOS_SUCCESS;
}

void PowerWatch::reset() {
    stop();
    m_notify = OPOS_PN_DISABLED;
}

void PowerWatch::start(const std::shared_ptr<PrinterLink>& link) {
    stop();
    // A printer that answers nothing cannot say whether it is there: its state stays unknown.
    if (m_notify != OPOS_PN_ENABLED || !link ||
        (link->answers() && link->answers()->level() == StatusLevel::None))
        return;
    m_link = link;
    connect(m_link.get(), &PrinterLink::statusChanged, this, &PowerWatch::onStatusChanged);
    connect(m_link.get(), &PrinterLink::linkLost, this, [this] { enter(OPOS_PS_OFF_OFFLINE); });
    m_state = stateFor(m_link->status().offline);
    if (m_state != OPOS_PS_ONLINE)
        Q_EMIT stateChanged(statusUpdateCodeFor(m_state));
    m_pollTimer.start();
}

void PowerWatch::stop() {
    m_pollTimer.stop();
    cancelPoll();
    if (m_link)
        m_link->disconnect(this);
    m_link.reset();
    m_state = OPOS_PS_UNKNOWN;
}

void PowerWatch::cancelPoll() {
    if (m_link && m_poll)
        m_link->cancel(m_poll);
    m_poll = 0;
}

// Only between the exchanges of the controls on the link, so a poll never lands inside a job.
void PowerWatch::poll() {
    if (m_poll || m_link->pendingExchanges() > 0)
        return;
    QPointer<PowerWatch> self(this);
    m_poll = m_link->exchange(
        EscPos::realtimeStatus(1), {{StatusQuery::Kind::RealTime, 1}}, false,
        [self](const ExchangeOutcome& outcome) {
            if (self)
                self->onPollAnswered(outcome);
        },
        qMin(kAnswerWithinMs, m_link->timings().replyTimeoutMs));
}

void PowerWatch::onPollAnswered(const ExchangeOutcome& outcome) {
    m_poll = 0;
    if (outcome.result == ExchangeOutcome::Result::Answered && !outcome.replies.isEmpty())
        enter(stateFor(outcome.replies.first() & kOfflineBit));
    else
        enter(silentState());
}

// A stopped printer (it reports itself offline while its cover is open or its paper out) whose
// receive buffer is full reads nothing more, real-time requests included, until it prints again:
// its silence over a link that is still up says offline, not switched off.
qint32 PowerWatch::silentState() const {
    return m_link && m_link->isOpen() && m_link->status().offline ? OPOS_PS_OFFLINE : OPOS_PS_OFF_OFFLINE;
}

// Automatic status, or a reply to anyone's request: the printer is there.
void PowerWatch::onStatusChanged(const PrinterStatus& status) {
    enter(stateFor(status.offline));
}

void PowerWatch::enter(qint32 state) {
    if (!m_link || state == m_state)
        return;
    qCInfo(lcDevice) << m_link->connection() << "power state" << m_state << "->" << state;
    m_state = state;
    Q_EMIT stateChanged(statusUpdateCodeFor(state));
}

} // namespace device
