#include "device/link/owedreplies.h"

namespace device {

void OwedReplies::add(int unanswered, int passedOver, int keepMs) {
    // Replies that came while this exchange waited show the printer answering; as many of its own
    // requests may have been among them.
    for (int i = passedOver; i < unanswered; ++i)
        m_owed.push_back(QDeadlineTimer(keepMs));
}

bool OwedReplies::payOne() {
    dropExpired();
    if (m_owed.empty())
        return false;
    m_owed.pop_front();
    return true;
}

qsizetype OwedReplies::count() {
    dropExpired();
    return qsizetype(m_owed.size());
}

qint64 OwedReplies::remainingMs() {
    dropExpired();
    return m_owed.empty() ? 0 : qMax<qint64>(1, m_owed.back().remainingTime());
}

void OwedReplies::dropExpired() {
    while (!m_owed.empty() && m_owed.front().hasExpired())
        m_owed.pop_front();
}

} // namespace device
