#include "device/control/cashdrawercontrol.h"
#include "device/control/posprintercontrol.h"
#include "device/link/printerstatus.h"
#include "support/devicerig.h"
#include "support/enabledprinter.h"
#include "support/fakeprinter.h"

#include <QSignalSpy>
#include <QTest>

using namespace device;
using namespace opos;

namespace {

QList<int> codes(const QSignalSpy& spy) {
    QList<int> out;
    for (const QList<QVariant>& args : spy)
        out << args.at(0).toInt();
    return out;
}

} // namespace

class TestPrinterStatus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parser_data() {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QString>("expected"); // kind letter + hex per message
        QTest::newRow("real-time replies")
            << QList<QByteArray>{QByteArray::fromHex("12167e")} << "R12 R16 R7e";
        QTest::newRow("automatic status")
            << QList<QByteArray>{QByteArray::fromHex("3c000c00")} << "A3c000c00";
        QTest::newRow("automatic in pieces with XOFF")
            << QList<QByteArray>{QByteArray::fromHex("14"), QByteArray::fromHex("1300"),
                                 QByteArray::fromHex("0311")}
            << "";
        QTest::newRow("automatic completed later")
            << QList<QByteArray>{QByteArray::fromHex("1400"), QByteArray::fromHex("0300")} << "A14000300";
        QTest::newRow("transmit replies")
            << QList<QByteArray>{QByteArray::fromHex("000c01")} << "T00 T0c T01";
        QTest::newRow("reply between automatic status") << QList<QByteArray>{QByteArray::fromHex("10000000"
                                                                                                 "12"
                                                                                                 "30000000")}
                                                        << "A10000000 R12 A30000000";
        QTest::newRow("broken automatic restarts") << QList<QByteArray>{QByteArray::fromHex("1000"
                                                                                            "16")}
                                                   << "R16";
        QTest::newRow("process ID between real-time replies")
            << QList<QByteArray>{QByteArray::fromHex("12372241424344"), QByteArray::fromHex("0012")}
            << "R12 H2241424344 R12";
        QTest::newRow("header reply in pieces with XOFF")
            << QList<QByteArray>{QByteArray::fromHex("372241"), QByteArray::fromHex("1342434400")}
            << "H2241424344";
        QTest::newRow("buffer clear breaks an automatic status")
            << QList<QByteArray>{QByteArray::fromHex("1000372500")} << "H25";
        QTest::newRow("header without end given up")
            << QList<QByteArray>{QByteArray::fromHex("3722") + QByteArray(100, 'x') +
                                 QByteArray::fromHex("0012")}
            << "R12";
        QTest::newRow("information reply in pieces")
            << QList<QByteArray>{QByteArray::fromHex("5f4142"), QByteArray::fromHex("430012")}
            << "I414243 R12";
    }

    void parser() {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(QString, expected);
        StatusParser parser;
        QStringList got;
        for (const QByteArray& piece : pieces)
            for (const StatusMessage& m : parser.feed(piece)) {
                const char kind = m.kind == StatusMessage::Kind::RealTime      ? 'R'
                                  : m.kind == StatusMessage::Kind::Automatic   ? 'A'
                                  : m.kind == StatusMessage::Kind::Header      ? 'H'
                                  : m.kind == StatusMessage::Kind::Information ? 'I'
                                                                               : 'T';
                got << QLatin1Char(kind) + QString::fromLatin1(m.bytes.toHex());
            }
        QCOMPARE(got.join(QLatin1Char(' ')), expected);
    }

    void bits_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("n");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected"); // offline cover end near drawer
        QTest::newRow("DLE EOT 1 drawer high") << "R" << 1 << QByteArray::fromHex("16") << "00001";
        QTest::newRow("DLE EOT 1 offline") << "R" << 1 << QByteArray::fromHex("1a") << "10000";
        QTest::newRow("DLE EOT 2 cover open") << "R" << 2 << QByteArray::fromHex("16") << "01000";
        QTest::newRow("DLE EOT 2 stopped by paper end") << "R" << 2 << QByteArray::fromHex("32") << "00000";
        QTest::newRow("DLE EOT 4 near end") << "R" << 4 << QByteArray::fromHex("1e") << "00010";
        QTest::newRow("DLE EOT 4 no paper") << "R" << 4 << QByteArray::fromHex("7e") << "00110";
        QTest::newRow("DLE EOT 4 end bits only") << "R" << 4 << QByteArray::fromHex("72") << "00100";
        QTest::newRow("ASB all fine") << "A" << 0 << QByteArray::fromHex("10000000") << "00000";
        QTest::newRow("ASB cover open, offline") << "A" << 0 << QByteArray::fromHex("38000000") << "11000";
        QTest::newRow("ASB drawer, near end") << "A" << 0 << QByteArray::fromHex("14000300") << "00011";
        QTest::newRow("ASB paper end") << "A" << 0 << QByteArray::fromHex("18000f00") << "10110";
        QTest::newRow("GS r 1 near end") << "T" << 1 << QByteArray::fromHex("03") << "00010";
        QTest::newRow("GS r 1 paper end") << "T" << 1 << QByteArray::fromHex("0c") << "00100";
        QTest::newRow("GS r 2 drawer") << "T" << 2 << QByteArray::fromHex("01") << "00001";
    }

    void bits() {
        QFETCH(QString, kind);
        QFETCH(int, n);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        PrinterStatus s;
        if (kind == QLatin1String("R"))
            applyRealTime(s, n, static_cast<quint8>(bytes.at(0)));
        else if (kind == QLatin1String("T"))
            applyTransmit(s, n, static_cast<quint8>(bytes.at(0)));
        else
            applyAutomatic(s, bytes);
        const QString got = QStringLiteral("%1%2%3%4%5")
                                .arg(int(s.offline))
                                .arg(int(s.coverOpen))
                                .arg(int(s.paperEnd))
                                .arg(int(s.paperNearEnd))
                                .arg(int(s.drawerPinHigh));
        QCOMPARE(got, expected);
    }

    void faultsPresentAtEnableAreReportedAfterTheCall_data() {
        QTest::addColumn<bool>("cover");
        QTest::addColumn<bool>("end");
        QTest::addColumn<bool>("nearEnd");
        QTest::addColumn<QList<int>>("events");
        QTest::newRow("all in order") << false << false << false << QList<int>{};
        QTest::newRow("cover open") << true << false << false << QList<int>{PTR_SUE_COVER_OPEN};
        QTest::newRow("paper out") << false << true << false << QList<int>{PTR_SUE_REC_EMPTY};
        QTest::newRow("near end") << false << false << true << QList<int>{PTR_SUE_REC_NEAREMPTY};
        QTest::newRow("cover open, paper out")
            << true << true << false << QList<int>{PTR_SUE_COVER_OPEN, PTR_SUE_REC_EMPTY};
    }

    void faultsPresentAtEnableAreReportedAfterTheCall() {
        QFETCH(bool, cover);
        QFETCH(bool, end);
        QFETCH(bool, nearEnd);
        QFETCH(QList<int>, events);
        DeviceRig rig;
        PosPrinterControl p;
        QSignalSpy spy(&p, &PosPrinter::StatusUpdateEvent);
        QCOMPARE(p.Open(QStringLiteral("P")), OPOS_SUCCESS);
        QCOMPARE(p.Claim(0), OPOS_SUCCESS);
        FakePrinter* fake = FakePrinter::of(QStringLiteral("P"));
        fake->setCoverOpen(cover);
        fake->setPaper(end, nearEnd);
        p.setDeviceEnabled(true);
        QCOMPARE(p.ResultCode(), OPOS_SUCCESS);
        QCOMPARE(spy.count(), 0); // never inside the call
        QCOMPARE(p.CoverOpen(), cover);
        QCOMPARE(p.RecEmpty(), end);
        QCOMPARE(p.RecNearEnd(), end || nearEnd);
        settle();
        QCOMPARE(codes(spy), events);
    }

    void changesWhileEnabled() {
        DeviceRig rig;
        PosPrinterControl p;
        QSignalSpy spy(&p, &PosPrinter::StatusUpdateEvent);
        QCOMPARE(p.Open(QStringLiteral("P")), OPOS_SUCCESS);
        QCOMPARE(p.Claim(0), OPOS_SUCCESS);
        p.setDeviceEnabled(true);
        FakePrinter* fake = FakePrinter::of(QStringLiteral("P"));
        fake->setCoverOpen(true);
        fake->setCoverOpen(false);
        fake->setPaper(false, true);
        fake->setPaper(true, true);
        fake->setPaper(false, false);
        fake->setDrawerPin(true); // no printer event for the drawer
        QTRY_COMPARE(spy.count(), 5);
        settle();
        QCOMPARE(codes(spy), (QList<int>{PTR_SUE_COVER_OPEN, PTR_SUE_COVER_OK, PTR_SUE_REC_NEAREMPTY,
                                         PTR_SUE_REC_EMPTY, PTR_SUE_REC_PAPEROK}));
    }

    void freezeHoldsEventsAndDisableDropsThem() {
        DeviceRig rig;
        PosPrinterControl p;
        QSignalSpy spy(&p, &PosPrinter::StatusUpdateEvent);
        QCOMPARE(p.Open(QStringLiteral("P")), OPOS_SUCCESS);
        QCOMPARE(p.Claim(0), OPOS_SUCCESS);
        p.setDeviceEnabled(true);
        p.setFreezeEvents(true);
        FakePrinter* fake = FakePrinter::of(QStringLiteral("P"));
        fake->setCoverOpen(true);
        fake->setCoverOpen(false);
        QTRY_VERIFY(!p.CoverOpen() && spy.isEmpty());
        settle();
        QCOMPARE(spy.count(), 0);
        p.setFreezeEvents(false);
        QCOMPARE(spy.count(), 0); // still not inside the call
        settle();
        QCOMPARE(codes(spy), (QList<int>{PTR_SUE_COVER_OPEN, PTR_SUE_COVER_OK}));

        // Disabled: nothing queued, nothing raised; re-enabling reports only what is wrong now.
        spy.clear();
        p.setFreezeEvents(true);
        fake->setPaper(false, true);
        settle();
        p.setDeviceEnabled(false);
        p.setFreezeEvents(false);
        fake->setCoverOpen(true);
        fake->setCoverOpen(false);
        settle();
        QCOMPARE(spy.count(), 0);
        p.setDeviceEnabled(true);
        settle();
        QCOMPARE(codes(spy), (QList<int>{PTR_SUE_REC_NEAREMPTY}));
    }

    void statusArrivingDuringASynchronousCallWaitsForItsEnd() {
        DeviceRig rig;
        PosPrinterControl p;
        QCOMPARE(p.Open(QStringLiteral("P")), OPOS_SUCCESS);
        QCOMPARE(p.Claim(0), OPOS_SUCCESS);
        p.setDeviceEnabled(true);
        settle();
        QSignalSpy spy(&p, &PosPrinter::StatusUpdateEvent);
        // The near-end status arrives while PrintNormal waits for its reply.
        FakePrinter::of(QStringLiteral("P"))->setPaper(false, true);
        QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("x\n")), OPOS_SUCCESS);
        QVERIFY(p.RecNearEnd());
        QCOMPARE(spy.count(), 0);
        settle();
        QCOMPARE(codes(spy), (QList<int>{PTR_SUE_REC_NEAREMPTY}));
    }

    void drawerEventsFollowThePin_data() {
        QTest::addColumn<QString>("openLevel");
        QTest::newRow("open when high") << "high";
        QTest::newRow("open when low") << "low";
    }

    void drawerEventsFollowThePin() {
        QFETCH(QString, openLevel);
        DeviceRig rig(
            QStringLiteral("[D2]\nclass=CashDrawer\nprinter=P\npin=5\nopen_level=%1\n").arg(openLevel));
        const bool high = openLevel == QLatin1String("high");
        CashDrawerControl d;
        QSignalSpy spy(&d, &CashDrawer::StatusUpdateEvent);
        QCOMPARE(d.Open(QStringLiteral("D2")), OPOS_SUCCESS);
        FakePrinter* fake = FakePrinter::of(QStringLiteral("P"));
        fake->setDrawerPin(!high); // closed
        d.setDeviceEnabled(true);
        QCOMPARE(d.ResultCode(), OPOS_SUCCESS);
        QVERIFY(!d.DrawerOpened());
        fake->setDrawerPin(high);
        QTRY_VERIFY(d.DrawerOpened());
        fake->setDrawerPin(!high);
        QTRY_VERIFY(!d.DrawerOpened());
        settle();
        QCOMPARE(codes(spy), (QList<int>{CASH_SUE_DRAWEROPEN, CASH_SUE_DRAWERCLOSED}));
    }

    void drawerFreezeHoldsEventsAndDisableDropsThem() {
        DeviceRig rig;
        CashDrawerControl d;
        QSignalSpy spy(&d, &CashDrawer::StatusUpdateEvent);
        QCOMPARE(d.Open(QStringLiteral("D")), OPOS_SUCCESS);
        FakePrinter* fake = FakePrinter::of(QStringLiteral("P"));
        d.setDeviceEnabled(true);
        d.setFreezeEvents(true);
        fake->setDrawerPin(true);
        QTRY_VERIFY(d.DrawerOpened());
        fake->setDrawerPin(false);
        QTRY_VERIFY(!d.DrawerOpened());
        settle();
        QCOMPARE(spy.count(), 0);
        d.setFreezeEvents(false);
        QCOMPARE(spy.count(), 0); // not inside the call that thawed them
        settle();
        QCOMPARE(codes(spy), (QList<int>{CASH_SUE_DRAWEROPEN, CASH_SUE_DRAWERCLOSED}));
        // Held while frozen, then the drawer is disabled: they are gone, and none come while disabled.
        d.setFreezeEvents(true);
        fake->setDrawerPin(true);
        QTRY_VERIFY(d.DrawerOpened());
        d.setDeviceEnabled(false);
        d.setFreezeEvents(false);
        fake->setDrawerPin(false);
        settle();
        QCOMPARE(spy.count(), 2);
    }

    // The printer and the drawer on one connection at once, each with its own events.
    void printerAndDrawerShareTheConnection() {
        DeviceRig rig;
        PosPrinterControl p;
        CashDrawerControl d;
        QSignalSpy printerSpy(&p, &PosPrinter::StatusUpdateEvent);
        QSignalSpy drawerSpy(&d, &CashDrawer::StatusUpdateEvent);
        QCOMPARE(p.Open(QStringLiteral("P")), OPOS_SUCCESS);
        QCOMPARE(d.Open(QStringLiteral("D")), OPOS_SUCCESS);
        QCOMPARE(p.Claim(0), OPOS_SUCCESS);
        p.setDeviceEnabled(true);
        d.setDeviceEnabled(true);
        QCOMPARE(d.ResultCode(), OPOS_SUCCESS);
        FakePrinter* fake = FakePrinter::of(QStringLiteral("P"));
        QCOMPARE(d.OpenDrawer(), OPOS_SUCCESS);
        QCOMPARE(fake->kicks(), 1);
        QVERIFY(fake->data().endsWith(QByteArray::fromHex("1b700032fa")));
        QVERIFY(d.DrawerOpened());
        QCOMPARE(drawerSpy.count(), 0);
        QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("x\n")), OPOS_SUCCESS);
        // Kicking an open drawer pulses again without a new event.
        QCOMPARE(d.OpenDrawer(), OPOS_SUCCESS);
        fake->setDrawerPin(false);
        QTRY_VERIFY(!d.DrawerOpened());
        settle();
        QCOMPARE(codes(drawerSpy), (QList<int>{CASH_SUE_DRAWEROPEN, CASH_SUE_DRAWERCLOSED}));
        QCOMPARE(printerSpy.count(), 0);
        // Closing the printer leaves the drawer working.
        QCOMPARE(p.Close(), OPOS_SUCCESS);
        QCOMPARE(d.OpenDrawer(), OPOS_SUCCESS);
        QCOMPARE(fake->kicks(), 3);
    }

    // A synchronous call on one control runs the event loop; the other control's events wait too.
    void noEventDuringAnotherControlsCall() {
        DeviceRig rig;
        PosPrinterControl p;
        CashDrawerControl d;
        QCOMPARE(p.Open(QStringLiteral("P")), OPOS_SUCCESS);
        QCOMPARE(p.Claim(0), OPOS_SUCCESS);
        p.setDeviceEnabled(true);
        QCOMPARE(d.Open(QStringLiteral("D")), OPOS_SUCCESS);
        d.setDeviceEnabled(true);
        bool inDrawerCall = false;
        QList<bool> deliveredInside;
        connect(&p, &PosPrinter::OutputCompleteEvent, this, [&](qint32) { deliveredInside << inDrawerCall; });
        p.setAsyncMode(true);
        QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("x\n")), OPOS_SUCCESS);
        inDrawerCall = true;
        QCOMPARE(d.OpenDrawer(), OPOS_SUCCESS);
        inDrawerCall = false;
        settle();
        QCOMPARE(deliveredInside, QList<bool>{false});
    }

    void drawerKickRefusedWhilePrinterCannotWork() {
        DeviceRig rig;
        CashDrawerControl d;
        QCOMPARE(d.Open(QStringLiteral("D")), OPOS_SUCCESS);
        d.setDeviceEnabled(true);
        FakePrinter* fake = FakePrinter::of(QStringLiteral("P"));
        fake->setCoverOpen(true);
        QCOMPARE(d.OpenDrawer(), OPOS_E_OFFLINE);
        QCOMPARE(fake->kicks(), 0);
        fake->setCoverOpen(false);
        fake->setSilent(true);
        QCOMPARE(d.OpenDrawer(), OPOS_E_NOHARDWARE);
    }

    // A device that answers with noise is not taken for a printer, and noise raises no status
    // events; a stray byte is forgiven.
    void noiseIsNotStatus_data() {
        QTest::addColumn<QByteArray>("answer"); // sent back for every write, by a silent device
        QTest::addColumn<QString>("health");    // CheckHealthText then
        QTest::addColumn<int>("healthCode");
        QByteArray random(512, '\0');
        quint32 seed = 7;
        for (char& c : random)
            c = char((seed = seed * 1103515245u + 12345u) >> 24);
        QTest::newRow("noise for answers")
            << random << "Internal HCheck: Answers, but not ESC/POS" << int(OPOS_E_NOHARDWARE);
        QTest::newRow("a stray byte beside the answers")
            << QByteArray(1, '\xff') << "Internal HCheck: Successful" << int(OPOS_SUCCESS);
    }

    void noiseIsNotStatus() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, health);
        QFETCH(int, healthCode);
        Enabled e;
        QSignalSpy events(&e.p, &PosPrinter::StatusUpdateEvent);
        e.fake->setSilent(answer.size() > 1);
        connect(e.fake->transport(), &MemoryTransport::bytesWritten, this,
                [&](const QByteArray&) { e.fake->transport()->feed(answer); });
        QCOMPARE(e.p.CheckHealth(OPOS_CH_INTERNAL), healthCode);
        QCOMPARE(e.p.CheckHealthText(), health);
        e.fake->transport()->feed(answer); // and while idle
        settle();
        QCOMPARE(codes(events), QList<int>());
    }
};

QTEST_GUILESS_MAIN(TestPrinterStatus)
#include "tst_printerstatus.moc"
