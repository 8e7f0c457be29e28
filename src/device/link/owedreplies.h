#pragma once

#include <QDeadlineTimer>

#include <deque>

namespace device {

// Real-time replies (DLE EOT n) carry no name. When an exchange times out, the replies it did not
// get are owed: a printer that only stalled still sends them, ahead of the replies to what was
// written after. Passing over those owed replies first keeps a late one from answering the next
// exchange (a drawer bit read as a cover bit). A printer that lost the requests (it was off) never
// pays, so what is owed expires after a while (the link sends nothing new that asks for real-time
// status until then), and an exchange that was itself kept waiting by owed replies adds only what
// it did not pass over.
class OwedReplies {
public:
    // An exchange timed out with `unanswered` DLE EOT requests open, after `passedOver` owed
    // replies came during it. What it adds stays owed for `keepMs`.
    void add(int unanswered, int passedOver, int keepMs);
    // True when the reply that just came is owed to an earlier exchange (and is now paid).
    bool payOne();
    // Everything written before was answered or lost for good (an in-order reply to a later
    // request came, or the link was opened afresh).
    void clear() { m_owed.clear(); }
    qsizetype count();
    // How long the newest owed reply may still come; 0 when nothing is owed.
    qint64 remainingMs();

private:
    void dropExpired();
    std::deque<QDeadlineTimer> m_owed; // one per reply, oldest first
};

} // namespace device
