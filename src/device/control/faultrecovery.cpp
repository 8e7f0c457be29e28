#include "device/control/faultrecovery.h"

#include "device/control/completionrule.h"
#include "device/control/controlcore.h"
#include "device/control/outputsubmitter.h"

#include <QPointer>

namespace device {

using namespace opos;

namespace {

// A printer that cannot print until its cover is closed, paper loaded or it is back online.
bool isStopped(const PrinterStatus& status) {
    return status.coverOpen || status.paperEnd || status.offline;
}

} // namespace

FaultRecovery::FaultRecovery(ControlCore& core, OutputSubmitter& output, QObject* parent)
    : QObject(parent), m_core(core), m_output(output) {
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &FaultRecovery::retryWhenAnswering);
}

FaultRecovery::~FaultRecovery() = default;

FaultRecovery::Answer FaultRecovery::answer(qint32 response) {
    if (response == OPOS_ER_CLEAR) {
        clearOutput();
        return Answer::Cleared;
    }
    if (isStopped(m_core.link()->status()))
        m_retryOnRecovery = true;
    else
        m_retryTimer.start(m_core.timings().replyTimeoutMs);
    return Answer::Retrying;
}

void FaultRecovery::statusChanged(const PrinterStatus& status) {
    if ((m_retryOnRecovery || m_retryTimer.isActive()) && !isStopped(status)) {
        m_retryTimer.stop();
        m_retryOnRecovery = false;
        retryNow();
    }
}

void FaultRecovery::stop() {
    m_retryTimer.stop();
    if (m_retryProbe)
        m_core.link()->cancel(std::exchange(m_retryProbe, 0));
    m_retryOnRecovery = false;
}

void FaultRecovery::clearOutput() {
    stop();
    m_output.clear();
    m_core.events().dropErrors();
}

void FaultRecovery::retryNow() {
    if (m_core.isEnabled() && m_output.isHalted())
        m_output.resume();
}

void FaultRecovery::retryWhenAnswering() {
    if (!m_core.isEnabled() || !m_output.isHalted() || m_retryProbe)
        return;
    if (!CompletionRule::of(*m_core.link()).checksReadiness()) {
        retryNow(); // it cannot say whether it is back: the queue finds out by writing
        return;
    }
    QPointer<FaultRecovery> self(this);
    m_retryProbe = m_core.link()->exchange(
        readyCheckBytes(), readyCheckQueries(), false, [self](const ExchangeOutcome& outcome) {
            if (!self)
                return;
            self->m_retryProbe = 0;
            if (!self->m_core.isEnabled() || !self->m_output.isHalted())
                return;
            if (evaluateReadyCheck(outcome).code == OPOS_SUCCESS)
                self->retryNow();
            else
                self->m_retryTimer.start(self->m_core.timings().replyTimeoutMs);
        });
}

} // namespace device
