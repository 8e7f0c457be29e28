#include "device/control/syncwait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace device {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    QDeadlineTimer deadline(qMax(timeoutMs, 0));
    QEventLoop loop;
    QTimer wake; // makes sure a silent device cannot keep the loop asleep past the deadline
    wake.setSingleShot(true);
    QObject::connect(&wake, &QTimer::timeout, &loop, [] {});
    wake.start(qMax(timeoutMs, 0));
    while (!done() && !deadline.hasExpired())
        loop.processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    return done();
}

} // namespace device
