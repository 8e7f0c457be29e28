// How a printer link asks a printer past its silence: a printer busy printing a long job, and one
// stopped with a full receive buffer, are asked with real-time requests, which overtake the data.
#include "device/link/printerlink.h"

#include "device/escpos/escposencoder.h"

#include <algorithm>

namespace device {

namespace {

// More time for a job that is printing: at least this many reply time-outs, one more per 4 KB.
constexpr qsizetype kMinProbes = 3;
constexpr qsizetype kBytesPerProbe = 4096;

} // namespace

// All of a job is in the printer and its in-order reply has not come: a printer printing a full
// buffer takes longer than the reply time-out. While it answers a real-time status request and says
// it is on line it is given more time, a bounded number of times for the size of the job.
bool PrinterLink::probeWhilePrinting() {
    Exchange& e = *m_current;
    if (!e.patient)
        return false;
    const bool waitsInOrder = std::any_of(e.queries.cbegin(), e.queries.cend(), [](const StatusQuery& q) {
        return !q.optional &&
               (q.kind == StatusQuery::Kind::ProcessId || q.kind == StatusQuery::Kind::Transmit);
    });
    if (!waitsInOrder)
        return false;
    if (e.probes > 0 && (e.replies.last() < 0 || (e.replies.last() & 0x08)))
        return false; // the last probe went unanswered, or the printer is off line
    if (e.probes >= qMax<qsizetype>(kMinProbes, e.bytes.size() / kBytesPerProbe))
        return false;
    ++e.probes;
    StatusQuery probe(StatusQuery::Kind::RealTime, 1);
    probe.optional = true;
    e.queries.append(probe);
    e.replies.append(-1);
    e.texts.append(QByteArray());
    m_transport->write(EscPos::realtimeStatus(1));
    if (!m_current)
        return true; // the write lost the link, which finished the exchange
    m_replyTimer.start(e.timeoutMs);
    return true;
}

// The printer has taken nothing for a reply time-out while the exchange still has bytes for it: it
// stopped (cover, paper) with a full buffer. A printer that answers real-time status only sends no
// automatic status to say why, so it is asked once, past the full buffer as a printer takes
// real-time requests; the replies stand for the exchange's own, stuck behind its data, in the same
// order.
bool PrinterLink::probeWhileStuck() {
    Exchange& e = *m_current;
    const bool asksRealTime = std::any_of(e.queries.cbegin(), e.queries.cend(), [&](const StatusQuery& q) {
        return q.kind == StatusQuery::Kind::RealTime;
    });
    if (!e.patient || e.stuckProbed || !asksRealTime || !m_answers || !m_answers->realTime ||
        m_answers->automatic)
        return false;
    e.stuckProbed = true;
    QByteArray probe;
    for (const StatusQuery& q : e.queries)
        if (q.kind == StatusQuery::Kind::RealTime)
            probe += EscPos::realtimeStatus(q.n);
    m_transport->write(probe);
    if (!m_current)
        return true; // the write lost the link, which finished the exchange
    m_replyTimer.start(e.timeoutMs);
    return true;
}

} // namespace device
