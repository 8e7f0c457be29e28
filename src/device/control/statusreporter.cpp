#include "device/control/statusreporter.h"

#include "device/control/controlcore.h"
#include "device/control/statisticscatalog.h"

namespace device {

using namespace opos;

void StatusReporter::open(const PrinterProfile& profile) {
    m_coverSensor = profile.coverSensor;
    m_emptySensor = profile.emptySensor;
    m_nearEndSensor = profile.nearEndSensor;
    m_errorLevel = PTR_EL_NONE;
}

void StatusReporter::close() {
    m_coverOpen = m_recEmpty = m_recNearEnd = false;
    m_errorStation = 0;
    m_errorString.clear();
    m_flagWhenIdle = false;
}

void StatusReporter::post(qint32 code) {
    m_core.post(PendingEvent::Kind::StatusUpdate, code);
}

void StatusReporter::report(const PrinterStatus& status, bool onlyFaults) {
    const bool cover = m_coverSensor && status.coverOpen;
    const bool empty = m_emptySensor && status.paperEnd;
    const bool nearEnd = m_nearEndSensor && status.paperNearEnd;
    const auto paperCode = [](bool e, bool n) {
        return e ? PTR_SUE_REC_EMPTY : n ? PTR_SUE_REC_NEAREMPTY : PTR_SUE_REC_PAPEROK;
    };
    const qint32 paperBefore = paperCode(m_recEmpty, m_recNearEnd);
    const qint32 paperNow = paperCode(empty, nearEnd);
    if (onlyFaults) {
        if (cover)
            post(PTR_SUE_COVER_OPEN);
        if (paperNow != PTR_SUE_REC_PAPEROK)
            post(paperNow);
    } else {
        if (cover != m_coverOpen)
            post(cover ? PTR_SUE_COVER_OPEN : PTR_SUE_COVER_OK);
        if (cover && !m_coverOpen)
            m_core.statistics().increment(statistic::ReceiptCoverOpenCount);
        if (paperNow != paperBefore)
            post(paperNow);
    }
    m_coverOpen = cover;
    m_recEmpty = empty;
    m_recNearEnd = nearEnd;
}

void StatusReporter::noteFailure(qint32 code, qint32 extended) {
    m_errorLevel = code == OPOS_E_EXTENDED ? PTR_EL_RECOVERABLE : PTR_EL_FATAL;
    m_errorStation = PTR_S_RECEIPT;
    m_errorString = code == OPOS_E_EXTENDED
                        ? (extended == OPOS_EPTR_COVER_OPEN ? QStringLiteral("Cover open")
                                                            : QStringLiteral("Receipt paper empty"))
                        : (code == OPOS_E_OFFLINE ? QStringLiteral("Printer offline")
                                                  : QStringLiteral("Printer not responding"));
}

void StatusReporter::outputIdle() {
    if (!m_flagWhenIdle)
        return;
    m_flagWhenIdle = false;
    post(PTR_SUE_IDLE);
}

} // namespace device
