#include "device/control/syncwait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <limits>

namespace device {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    QDeadlineTimer deadline(qMax(timeoutMs, 0), Qt::PreciseTimer);
    QEventLoop loop;
    // Makes sure a silent device cannot keep the loop asleep past the deadline. Precise and armed
    // again on every pass: a coarse timer may fire a little early, and nothing else might ever
    // wake the loop after that.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, &loop, [] {});
    while (!done() && !deadline.hasExpired()) {
        wake.start(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1)));
        loop.processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    }
    return done();
}

int saturatedMs(qint64 ms) {
    return static_cast<int>(qBound(qint64(0), ms, qint64(std::numeric_limits<int>::max())));
}

} // namespace device
