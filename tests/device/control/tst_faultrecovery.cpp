#include "device/control/posprintercontrol.h"
#include "device/link/owedreplies.h"
#include "support/enabledprinter.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace device;
using namespace opos;

namespace {

// ESC @ and ESC t 0 (and GS a, which the fake keeps to itself): what the control writes again
// after the printer's buffer was cleared.
const QByteArray kLineState = hex("1b40 1b7400");

// An enabled printer in asynchronous mode that is known to answer process IDs, with the errors
// its handler saw and the completions it raised.
struct AsyncPrinter : Enabled {
    QSignalSpy done{&p, &PosPrinter::OutputCompleteEvent};
    QList<QList<int>> errors; // code, extended, State during the event
    qint32 answer = OPOS_ER_RETRY;

    AsyncPrinter() {
        p.PrintNormal(opos::PTR_S_RECEIPT, QStringLiteral("\n")); // learns that the printer answers IDs
        fake->clear();
        QObject::connect(&p, &PosPrinter::ErrorEvent, &p,
                         [this](qint32 rc, qint32 ext, qint32, qint32* response) {
                             errors.append({rc, ext, p.State()});
                             *response = answer;
                         });
        p.setAsyncMode(true);
    }
    void print(const char* text) {
        QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QString::fromLatin1(text)), OPOS_SUCCESS);
    }
    void fault(const QString& what, bool on) {
        if (what == QLatin1String("cover"))
            fake->setCoverOpen(on);
        else if (what == QLatin1String("paper"))
            fake->setPaper(on, on);
        else
            fake->setOffline(on);
    }
};

} // namespace

class TestFaultRecovery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The printer keeps what it holds through a cover or offline fault and prints it when the
    // cause clears: the control waits for the request's own ID instead of writing it again.
    void heldRequestIsNotWrittenAgain_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("extended");
        QTest::newRow("cover opened") << "cover" << OPOS_E_EXTENDED << OPOS_EPTR_COVER_OPEN;
        QTest::newRow("offline") << "offline" << OPOS_E_OFFLINE << 0;
    }

    void heldRequestIsNotWrittenAgain() {
        QFETCH(QString, what);
        QFETCH(int, code);
        QFETCH(int, extended);
        AsyncPrinter a;
        a.fake->setBusy(true); // A is in the printer's buffer, not yet printed
        a.print("A\n");
        a.print("B\n");
        a.print("C\n");
        QTRY_VERIFY(a.fake->data().contains("A\n"));
        a.fault(what, true);
        QTRY_COMPARE(a.errors.size(), 1);
        QCOMPARE(a.errors.at(0), (QList<int>{code, extended, OPOS_S_ERROR}));
        a.fake->setBusy(false);
        QTest::qWait(400); // the fault lasts several reply time-outs: no further event
        QCOMPARE(a.errors.size(), 1);
        a.fault(what, false);
        QTRY_COMPARE(a.done.count(), 3);
        QCOMPARE(a.fake->data(), QByteArray("A\nB\nC\n"));
        QCOMPARE(a.fake->clears(), 0);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(a.done.at(i).at(0).toInt(), i + 1);
        QCOMPARE(a.p.State(), OPOS_S_IDLE);
    }

    // Paper out may cost the line being printed: the printer's buffer is cleared while it is
    // stopped, and the request goes out again once paper is loaded, after the line state.
    void paperOutClearsAndWritesAgain() {
        AsyncPrinter a;
        a.fake->setBusy(true);
        a.print("A\n");
        a.print("B\n");
        QTRY_VERIFY(a.fake->data().contains("A\n"));
        a.fault(QStringLiteral("paper"), true);
        QTRY_COMPARE(a.errors.size(), 1);
        QCOMPARE(a.errors.at(0), (QList<int>{OPOS_E_EXTENDED, OPOS_EPTR_REC_EMPTY, OPOS_S_ERROR}));
        QCOMPARE(a.fake->clears(), 1);
        a.fake->setBusy(false);
        a.fault(QStringLiteral("paper"), false);
        QTRY_COMPARE(a.done.count(), 2);
        QCOMPARE(a.fake->data(), QByteArray("A\n") + kLineState + "A\nB\n");
    }

    // A printer switched off and on behind a kept connection has lost what it held: the ID asked
    // behind the request comes back without the request's own, so it is written again.
    void requestLostByThePrinterIsWrittenAgain() {
        AsyncPrinter a;
        a.fake->setBusy(true);
        a.print("A\n");
        QTRY_VERIFY(a.fake->data().contains("A\n"));
        a.fault(QStringLiteral("cover"), true);
        QTRY_COMPARE(a.errors.size(), 1);
        a.fake->forgetHeld();
        a.fake->setBusy(false);
        a.fault(QStringLiteral("cover"), false);
        QTRY_COMPARE(a.done.count(), 1);
        QCOMPARE(a.fake->data(), QByteArray("A\n") + kLineState + "A\n");
    }

    // CLEAR drops the queue and what the printer holds; the next job starts from a known state.
    void clearEmptiesThePrinterToo() {
        AsyncPrinter a;
        a.answer = OPOS_ER_CLEAR;
        a.fake->setBusy(true);
        a.print("A\n");
        a.print("B\n");
        QTRY_VERIFY(a.fake->data().contains("A\n"));
        a.fault(QStringLiteral("cover"), true);
        QTRY_COMPARE(a.p.State(), OPOS_S_IDLE);
        QCOMPARE(a.errors.size(), 1);
        QCOMPARE(a.fake->clears(), 1);
        a.fake->setBusy(false);
        a.fault(QStringLiteral("cover"), false);
        settle();
        QCOMPARE(a.done.count(), 0);
        a.print("C\n");
        QTRY_COMPARE(a.done.count(), 1);
        QCOMPARE(a.fake->data(), QByteArray("A\n") + kLineState + "C\n");
    }

    // A synchronous call that fails has not printed, and nothing of it may come out later.
    void failedSynchronousCallLeavesNothingBehind() {
        Enabled e;
        e.fake->setBusy(true);
        connect(e.fake->transport(), &MemoryTransport::bytesWritten, this, [&](const QByteArray& bytes) {
            if (bytes.contains("abc"))
                e.fake->setCoverOpen(true);
        });
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("abc\n")), OPOS_E_EXTENDED);
        QCOMPARE(e.p.ResultCodeExtended(), OPOS_EPTR_COVER_OPEN);
        QTRY_COMPARE(e.fake->clears(), 1);
    }

    // A printer that stopped answering is asked again quietly: one event while it stays silent,
    // and the request prints when it is back.
    void silentPrinterRaisesOneEvent() {
        AsyncPrinter a;
        a.fake->setSilent(true);
        a.print("A\n");
        QTRY_COMPARE(a.errors.size(), 1);
        QCOMPARE(a.errors.at(0), (QList<int>{OPOS_E_NOHARDWARE, 0, OPOS_S_ERROR}));
        QTest::qWait(1000); // several reply time-outs
        QCOMPARE(a.errors.size(), 1);
        a.fake->setSilent(false);
        QTRY_COMPARE(a.done.count(), 1);
        QCOMPARE(a.fake->data(), QByteArray("A\n"));
        QCOMPARE(a.errors.size(), 1);
    }

    // A fault that comes back after RETRY is a new fault with its own event; the request still
    // prints once.
    void faultThatReturnsRaisesTheNextEvent() {
        AsyncPrinter a;
        a.fake->setBusy(true);
        a.print("A\n");
        QTRY_VERIFY(a.fake->data().contains("A\n"));
        a.fault(QStringLiteral("cover"), true);
        QTRY_COMPARE(a.errors.size(), 1);
        const qsizetype idsBefore = a.fake->received().count("\x1d(H");
        a.fault(QStringLiteral("cover"), false);
        QTRY_VERIFY(a.fake->received().count("\x1d(H") > idsBefore); // asking behind the held request
        a.fault(QStringLiteral("cover"), true);
        QTRY_COMPARE(a.errors.size(), 2);
        a.fake->setBusy(false);
        a.fault(QStringLiteral("cover"), false);
        QTRY_COMPARE(a.done.count(), 1);
        QCOMPARE(a.fake->data(), QByteArray("A\n"));
        QCOMPARE(a.errors.size(), 2);
    }

    // Real-time replies owed by exchanges that timed out are passed over when they come, until
    // they expire; an exchange kept waiting by them adds only what it did not pass over.
    void owedReplies_data() {
        QTest::addColumn<QList<int>>("steps"); // +u/p: add u unanswered after p passed over; 0: a reply
        QTest::addColumn<QString>("expected"); // per reply: o owed, n not
        QTest::newRow("nothing owed") << QList<int>{0, 0} << "nn";
        QTest::newRow("a timed-out poll") << QList<int>{10, 0, 0} << "on";
        QTest::newRow("two exchanges stalled") << QList<int>{30, 10, 0, 0, 0, 0, 0} << "oooon";
        QTest::newRow("exchange fed by owed replies adds nothing") << QList<int>{33, 0, 0, 0} << "nnn";
        QTest::newRow("partly fed") << QList<int>{31, 0, 0, 0} << "oon";
    }

    void owedReplies() {
        QFETCH(QList<int>, steps);
        QFETCH(QString, expected);
        OwedReplies owed;
        QString got;
        for (int step : steps) {
            if (step == 0)
                got += owed.payOne() ? u'o' : u'n';
            else
                owed.add(step / 10, step % 10, 60000);
        }
        QCOMPARE(got, expected);
    }

    void owedRepliesExpire() {
        OwedReplies owed;
        owed.add(3, 0, 50);
        QCOMPARE(owed.count(), 3);
        QTest::qWait(80);
        QVERIFY(!owed.payOne());
        owed.add(2, 0, 60000);
        owed.clear();
        QCOMPARE(owed.count(), 0);
    }

    // A power poll that timed out during a stall is answered later, when the printer reads again:
    // its drawer bit must not be taken for the cover bit of the next ready check.
    void lateRealTimeReplyIsNotReadAsTheNext() {
        DeviceRig rig;
        PosPrinterControl p;
        QCOMPARE(p.Open(QStringLiteral("P")), OPOS_SUCCESS);
        QCOMPARE(p.Claim(0), OPOS_SUCCESS);
        p.setPowerNotify(OPOS_PN_ENABLED);
        p.setDeviceEnabled(true);
        QSignalSpy power(&p, &PosPrinter::StatusUpdateEvent);
        FakePrinter* fake = FakePrinter::of(QStringLiteral("P"));
        fake->setDrawerPin(true);
        settle();
        fake->clear();
        fake->setStalled(true);
        QVERIFY(power.wait(2000)); // the poll went unanswered
        QCOMPARE(power.last().at(0).toInt(), OPOS_SUE_POWER_OFF_OFFLINE);
        QTimer::singleShot(40, fake, [fake] { fake->setStalled(false); });
        QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("A\n")), OPOS_SUCCESS);
        QCOMPARE(fake->data(), QByteArray("A\n"));
    }

    // A printer still printing what it holds when the reply time-out runs out is given more time
    // while it answers real-time status and is on line; a silent one is not.
    void printingPrinterIsWaitedFor_data() {
        QTest::addColumn<bool>("answersRealTime");
        QTest::addColumn<int>("expected");
        QTest::newRow("answers while printing") << true << int(OPOS_SUCCESS);
        QTest::newRow("silent while printing") << false << int(OPOS_E_OFFLINE);
    }

    void printingPrinterIsWaitedFor() {
        QFETCH(bool, answersRealTime);
        QFETCH(int, expected);
        Enabled e;
        e.fake->setBusy(true); // the reply time-out is 150 ms; it prints for 350 ms
        QTimer::singleShot(350, e.fake, [&e] { e.fake->setBusy(false); });
        connect(e.fake->transport(), &MemoryTransport::bytesWritten, this, [&](const QByteArray& bytes) {
            if (bytes.contains("long job"))
                e.fake->setSilent(!answersRealTime);
        });
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("long job\n")), expected);
        e.fake->setSilent(false);
    }

    // A reply that comes after its time-out names its own request and completes no later one.
    void lateReplyCompletesNothing() {
        AsyncPrinter a;
        a.p.setAsyncMode(false);
        a.fake->setIgnoreClear(true); // so the first request's reply is still owed
        a.fake->setBusy(true);
        QCOMPARE(a.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("A\n")), OPOS_E_OFFLINE);
        QTimer::singleShot(30, a.fake, [&] { a.fake->releaseFirstHeld(); }); // A's, while B waits
        QCOMPARE(a.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("B\n")), OPOS_E_OFFLINE);
        a.fake->setBusy(false);
        QCOMPARE(a.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("C\n")), OPOS_SUCCESS);
    }
};

QTEST_GUILESS_MAIN(TestFaultRecovery)
#include "tst_faultrecovery.moc"
