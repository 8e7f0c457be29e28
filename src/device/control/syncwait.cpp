#include "device/control/syncwait.h"

#include <QCursor>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include <limits>

namespace device {

namespace {

// A wait the person at the window can notice shows the busy cursor, so a ten-second Claim of a
// printer that is not there does not look like a program that hangs.
constexpr qint64 kNoticeableWaitMs = 150;

class BusyCursor {
public:
    void update(qint64 waitedMs) {
        if (!m_shown && waitedMs >= kNoticeableWaitMs &&
            qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            m_shown = true;
        }
    }
    ~BusyCursor() {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
    }

private:
    bool m_shown = false;
};

} // namespace

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
    QElapsedTimer waited;
    waited.start();
    BusyCursor cursor;
    while (!done() && !deadline.hasExpired()) {
        // Woken in time to show the cursor too.
        const qint64 untilNoticed = kNoticeableWaitMs - waited.elapsed();
        const qint64 sleep =
            untilNoticed > 0 ? qMin(untilNoticed, deadline.remainingTime()) : deadline.remainingTime();
        wake.start(static_cast<int>(qMax<qint64>(sleep, 1)));
        loop.processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
        cursor.update(waited.elapsed());
    }
    return done();
}

int saturatedMs(qint64 ms) {
    return static_cast<int>(qBound(qint64(0), ms, qint64(std::numeric_limits<int>::max())));
}

} // namespace device
