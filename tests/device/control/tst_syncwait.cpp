#include "device/control/syncwait.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

// A synchronous wait the person can notice shows the busy cursor, and only while it lasts.
class TestSyncWait : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void busyCursorWhileANoticeableWaitLasts_data() {
        QTest::addColumn<int>("doneAfterMs");
        QTest::addColumn<bool>("busySeen");
        QTest::newRow("quick") << 20 << false;
        QTest::newRow("noticeable") << 300 << true;
    }
    void busyCursorWhileANoticeableWaitLasts() {
        QFETCH(int, doneAfterMs);
        bool done = false;
        bool busySeen = false;
        QTimer look;
        connect(&look, &QTimer::timeout, this, [&] {
            busySeen = busySeen || (QGuiApplication::overrideCursor() &&
                                    QGuiApplication::overrideCursor()->shape() == Qt::BusyCursor);
        });
        look.start(10);
        QTimer::singleShot(doneAfterMs, this, [&] { done = true; });
        QVERIFY(device::waitUntil([&] { return done; }, 5000));
        QTEST(busySeen, "busySeen");
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(TestSyncWait)
#include "tst_syncwait.moc"
