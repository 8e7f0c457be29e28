#include "device/control/posprintercontrol.h"
#include "support/enabledprinter.h"

#include <QSignalSpy>
#include <QTest>

using namespace device;
using namespace opos;

namespace {

// GS ( H 06 00 30 30 and four characters from 21h to 7Eh, shown as <ID>.
QString shownIds(QByteArray wire) {
    const QByteArray head = QByteArray::fromHex("1d28480600 3030");
    for (qsizetype at = wire.indexOf(head); at >= 0; at = wire.indexOf(head, at + 1))
        wire.replace(at, head.size() + 4, "<ID>");
    return QString::fromLatin1(wire);
}

} // namespace

class TestPrinterOutput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Enable first learns what the printer answers: real-time status, a process ID and GS r 1
    // behind it, then its names one by one, each fenced by GS r 1; then ESC @, ESC t 0 (437),
    // GS a 0F (automatic status) and DLE EOT 1, 2, 4.
    void enableLearnsThenInitialisesAndAsksForStatus() {
        DeviceRig rig;
        PosPrinterControl p;
        QCOMPARE(p.Open(QStringLiteral("P")), OPOS_SUCCESS);
        QCOMPARE(p.Claim(0), OPOS_SUCCESS);
        p.setDeviceEnabled(true);
        QCOMPARE(p.ResultCode(), OPOS_SUCCESS);
        QCOMPARE(p.ResultReason(), QString()); // it answers everything: nothing is hidden
        QCOMPARE(shownIds(FakePrinter::of(QStringLiteral("P"))->received()).toLatin1().toHex(' '),
                 (readyCheck() + "<ID>" +
                  hex("1d7201 1d4941 1d7201 1d4942 1d7201 1d4943 1d7201 1d4944 1d7201") +
                  hex("1b40 1b7400 1d610f") + readyCheck())
                     .toHex(' '));
    }

    // The ready check, the data, and behind it what tells that it has printed: the process ID, GS r 1
    // where the printer knows no IDs, a real-time status where it answers nothing in order.
    void wireFramingOfRequests_data() {
        QTest::addColumn<int>("answers"); // 2 process IDs, 1 GS r, 0 real-time status only
        QTest::addColumn<QString>("framing");
        QTest::newRow("printer with process IDs") << 2 << "%1\n<ID>";
        QTest::newRow("printer without them") << 1 << "%1\n\x1dr\x01";
        QTest::newRow("real-time status only") << 0 << "%1\n\x10\x04\x01\x10\x04\x02\x10\x04\x04";
    }

    void wireFramingOfRequests() {
        QFETCH(int, answers);
        QFETCH(QString, framing);
        Enabled e({}, [answers](FakePrinter& fake) {
            fake.setIgnoreProcessId(answers < 2);
            fake.setIgnoreTransmit(answers < 1);
        });
        for (const QString& text : {QStringLiteral("abc"), QStringLiteral("de")}) {
            QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, text + u'\n'), OPOS_SUCCESS);
            QCOMPARE(shownIds(e.fake->received()).mid(readyCheck().size()), framing.arg(text));
            e.fake->clear();
        }
    }

    void printed_data() {
        QTest::addColumn<QStringList>("calls"); // "T:text" PrintNormal, "C:pct" CutPaper, "S:cs" CharacterSet
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("text and line feed") << QStringList{"T:abc\n"} << QByteArray("abc\n");
        QTest::newRow("CR before LF dropped") << QStringList{"T:Line\r\n"} << QByteArray("Line\n");
        QTest::newRow("empty data") << QStringList{"T:"} << QByteArray();
        QTest::newRow("feed escape") << QStringList{QStringLiteral("T:\x1b|10lF")} << hex("1b640a");
        QTest::newRow("code page 437")
            << QStringList{QStringLiteral("T:caf\u00e9 \u20ac\n")} << QByteArray("caf\x82 ?\n");
        QTest::newRow("code page 1252 selected")
            << QStringList{"S:1252", QStringLiteral("T:\u00e9\u20ac\n")} << hex("1b7410 e980 0a");
        QTest::newRow("full cut after a line")
            << QStringList{"T:abc\n", "C:100"} << (QByteArray("abc\n") + hex("1d564100"));
        QTest::newRow("cut flushes an open line")
            << QStringList{"T:abc", "C:100"} << (QByteArray("abc") + hex("0a1d564100"));
        QTest::newRow("cut ends the open line's attributes")
            << QStringList{QStringLiteral("T:\x1b|bCab"), "C:100", "T:cd\n"}
            << (hex("1b4501") + "ab" + hex("0a1b4500 1d564100") + "cd\n");
        QTest::newRow("cut escape after a flushed line adds no blank line")
            << QStringList{"T:ab", "C:100", QStringLiteral("T:\x1b|P")}
            << (QByteArray("ab") + hex("0a1d564100 1d564100"));
        QTest::newRow("partial cut") << QStringList{"C:50"} << hex("1d564200");
        QTest::newRow("upside down") << QStringList{"R:259", "T:ab\n", "R:1"}
                                     << (hex("1b7b01") + "ab\n" + hex("1b7b00"));
    }

    void printed() {
        QFETCH(QStringList, calls);
        QFETCH(QByteArray, expected);
        Enabled e;
        for (const QString& call : calls) {
            const QString arg = call.mid(2);
            qint32 code = OPOS_SUCCESS;
            if (call.startsWith(u'T'))
                code = e.p.PrintNormal(PTR_S_RECEIPT, arg);
            else if (call.startsWith(u'C'))
                code = e.p.CutPaper(arg.toInt());
            else if (call.startsWith(u'R'))
                code = e.p.RotatePrint(PTR_S_RECEIPT, arg.toInt());
            else {
                e.p.setCharacterSet(arg.toInt());
                code = e.p.ResultCode();
            }
            QCOMPARE(code, OPOS_SUCCESS);
        }
        QCOMPARE(e.fake->data().toHex(' '), expected.toHex(' '));
    }

    void faultsStopSynchronousOutput_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("extended");
        QTest::newRow("cover open") << "cover" << OPOS_E_EXTENDED << OPOS_EPTR_COVER_OPEN;
        QTest::newRow("paper out") << "paper" << OPOS_E_EXTENDED << OPOS_EPTR_REC_EMPTY;
        QTest::newRow("offline") << "offline" << OPOS_E_OFFLINE << 0;
        QTest::newRow("silent") << "silent" << OPOS_E_NOHARDWARE << 0;
        QTest::newRow("never finishes") << "stuck" << OPOS_E_OFFLINE << 0;
    }

    void faultsStopSynchronousOutput() {
        QFETCH(QString, fault);
        QFETCH(int, code);
        QFETCH(int, extended);
        Enabled e;
        if (fault == QLatin1String("cover"))
            e.fake->setCoverOpen(true);
        else if (fault == QLatin1String("paper"))
            e.fake->setPaper(true, true);
        else if (fault == QLatin1String("offline"))
            e.fake->setOffline(true);
        else if (fault == QLatin1String("silent"))
            e.fake->setSilent(true);
        else
            e.fake->setIgnoreProcessId(true); // the printer learnt to name its requests stops doing so
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("abc\n")), code);
        QCOMPARE(e.p.ResultCode(), code);
        QCOMPARE(e.p.ResultCodeExtended(), extended);
        if (fault != QLatin1String("stuck"))
            QCOMPARE(e.fake->data(), QByteArray()); // nothing printed
        QCOMPARE(e.p.CutPaper(100), code);
        QCOMPARE(e.p.State(), OPOS_S_IDLE);
        // A later success clears the extended code.
        e.fake->setCoverOpen(false);
        e.fake->setPaper(false, false);
        e.fake->setOffline(false);
        e.fake->setSilent(false);
        e.fake->setIgnoreProcessId(false);
        settle();
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("ok\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.ResultCodeExtended(), 0);
    }

    void coverOpenedWhilePrintingFailsAtOnce() {
        Enabled e;
        e.fake->setIgnoreProcessId(true); // the job does not get through...
        connect(e.fake->transport(), &MemoryTransport::bytesWritten, this, [&](const QByteArray& bytes) {
            if (bytes.contains("abc"))
                e.fake->setCoverOpen(true); // ...because the cover opens under way
        });
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("abc\n")), OPOS_E_EXTENDED);
        QCOMPARE(e.p.ResultCodeExtended(), OPOS_EPTR_COVER_OPEN);
    }

    void healthCheck_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("internal") << 1 << "" << OPOS_SUCCESS << "Internal HCheck: Successful";
        // The external and interactive checks print a receipt, and fail as printing does.
        QTest::newRow("external, cover") << 2 << "cover" << OPOS_E_EXTENDED << "External HCheck: Cover Open";
        QTest::newRow("interactive, paper")
            << 3 << "paper" << OPOS_E_EXTENDED << "Interactive HCheck: Paper Empty";
        QTest::newRow("internal, silent")
            << 1 << "silent" << OPOS_E_NOHARDWARE << "Internal HCheck: Not Responding";
    }

    void healthCheck() {
        QFETCH(int, level);
        QFETCH(QString, fault);
        QFETCH(int, code);
        QFETCH(QString, text);
        Enabled e;
        e.fake->setCoverOpen(fault == QLatin1String("cover"));
        e.fake->setPaper(fault == QLatin1String("paper"), false);
        e.fake->setSilent(fault == QLatin1String("silent"));
        QCOMPARE(e.p.CheckHealth(level), code);
        QCOMPARE(e.p.CheckHealthText(), text);
        QCOMPARE(e.fake->data(), QByteArray()); // nothing printed: internal, or a printer that cannot
    }

    void sidewaysBlockIsBufferedThenPrintedInPageMode_data() {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QByteArray>("direction");
        QTest::newRow("left") << PTR_RP_LEFT90 << hex("1b5401");
        QTest::newRow("right") << PTR_RP_RIGHT90 << hex("1b5403");
    }

    void sidewaysBlockIsBufferedThenPrintedInPageMode() {
        QFETCH(int, rotation);
        QFETCH(QByteArray, direction);
        Enabled e;
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, rotation), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("ab\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("cde\n")), OPOS_SUCCESS);
        QCOMPARE(e.fake->received(), QByteArray()); // buffered: not even a status request
        QCOMPARE(e.p.CutPaper(100), OPOS_E_ILLEGAL);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_LEFT90), OPOS_E_ILLEGAL);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_ROTATE180), OPOS_E_ILLEGAL);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
        // Page mode, area 576 dots across and 3 characters of 12 dots along, direction, data, FF.
        const QByteArray block = hex("1b4c 1b57 0000 0000 4002 2400") + direction + "ab\ncde\n" + hex("0c");
        QCOMPARE(e.fake->data().toHex(' '), block.toHex(' '));
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS); // outside a rotation
        QCOMPARE(e.p.CutPaper(100), OPOS_SUCCESS);
    }

    void sidewaysLimits() {
        Enabled e;
        const int maxChars = e.p.RecSidewaysMaxChars();
        const int maxLines = e.p.RecSidewaysMaxLines();
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_LEFT90), OPOS_SUCCESS);
        const QString longest(maxChars, u'x');
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, longest + u'\n'), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, longest + u'y'), OPOS_E_ILLEGAL);
        // Escape sequences take no room on the line.
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("\x1b|bC") + longest + u'\n'), OPOS_SUCCESS);
        for (int line = 3; line <= maxLines; ++line)
            QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("l\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("one too many")), OPOS_E_ILLEGAL);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
        QVERIFY(e.fake->data().startsWith(hex("1b4c")));
    }

    void sidewaysBlockThatCannotPrintStaysOpen() {
        Enabled e;
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_LEFT90), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("ab\n")), OPOS_SUCCESS);
        e.fake->setPaper(true, true);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_E_EXTENDED);
        e.fake->setPaper(false, false);
        settle();
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
        QVERIFY(e.fake->data().contains("ab\n"));
    }

    void asyncCompletesInOrder() {
        Enabled e;
        QSignalSpy done(&e.p, &PosPrinter::OutputCompleteEvent);
        e.p.setAsyncMode(true);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("one\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.OutputID(), 1);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("two\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.OutputID(), 2);
        QCOMPARE(e.p.State(), OPOS_S_BUSY);
        e.p.setAsyncMode(false);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("sync\n")), OPOS_E_BUSY);
        QTRY_COMPARE(done.count(), 2);
        QCOMPARE(done.at(0).at(0).toInt(), 1);
        QCOMPARE(done.at(1).at(0).toInt(), 2);
        QCOMPARE(e.p.State(), OPOS_S_IDLE);
        QCOMPARE(e.fake->data(), QByteArray("one\ntwo\n"));
    }

    void asyncErrorRetry() {
        Enabled e;
        QSignalSpy done(&e.p, &PosPrinter::OutputCompleteEvent);
        QList<QList<int>> errors;
        connect(&e.p, &PosPrinter::ErrorEvent, this,
                [&](qint32 rc, qint32 ext, qint32 locus, qint32* response) {
                    errors.append({rc, ext, locus, *response, e.p.ResultCodeExtended(), e.p.State()});
                });
        e.fake->setCoverOpen(true);
        e.p.setAsyncMode(true);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("one\n")), OPOS_SUCCESS);
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors.at(0), (QList<int>{OPOS_E_EXTENDED, OPOS_EPTR_COVER_OPEN, OPOS_EL_OUTPUT,
                                           OPOS_ER_RETRY, OPOS_EPTR_COVER_OPEN, OPOS_S_ERROR}));
        QCOMPARE(e.p.ErrorLevel(), PTR_EL_RECOVERABLE);
        QCOMPARE(e.fake->data(), QByteArray());
        // While the cover stays open, ten reply time-outs long, the one fault raises no more events.
        QTest::qWait(1500);
        QCOMPARE(errors.size(), 1);
        e.fake->setCoverOpen(false); // the retry follows the closed cover
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(e.fake->data(), QByteArray("one\n"));
        QCOMPARE(e.p.State(), OPOS_S_IDLE);
    }

    // Every asynchronous call gets an OutputID and one completion in order, also those a sideways
    // block holds until it prints and rotations that send nothing.
    void asyncRotationsComplete() {
        Enabled e;
        QSignalSpy done(&e.p, &PosPrinter::OutputCompleteEvent);
        e.p.setAsyncMode(true);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_LEFT90), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("ab\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.OutputID(), 3);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("cd\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.OutputID(), 5);
        QTRY_COMPARE(done.count(), 5);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(done.at(i).at(0).toInt(), i + 1);
        QVERIFY(e.fake->data().endsWith("ab\n" + hex("0c") + "cd\n"));
    }

    void asyncErrorClear() {
        Enabled e;
        QSignalSpy done(&e.p, &PosPrinter::OutputCompleteEvent);
        int errors = 0;
        connect(&e.p, &PosPrinter::ErrorEvent, this, [&](qint32, qint32, qint32, qint32* response) {
            ++errors;
            *response = OPOS_ER_CLEAR;
        });
        e.fake->setPaper(true, true);
        e.p.setAsyncMode(true);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("one\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("two\n")), OPOS_SUCCESS);
        QTRY_COMPARE(e.p.State(), OPOS_S_IDLE);
        QCOMPARE(errors, 1);
        e.fake->setPaper(false, false);
        settle();
        QCOMPARE(done.count(), 0);
        QCOMPARE(e.fake->data(), QByteArray());
    }

    void flagWhenIdle() {
        Enabled e;
        QSignalSpy status(&e.p, &PosPrinter::StatusUpdateEvent);
        e.p.setAsyncMode(true);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("one\n")), OPOS_SUCCESS);
        e.p.setFlagWhenIdle(true);
        QTRY_COMPARE(status.count(), 1);
        QCOMPARE(status.at(0).at(0).toInt(), PTR_SUE_IDLE);
        QVERIFY(!e.p.FlagWhenIdle());
    }

    void lostConnectionIsOpenedAgain() {
        Enabled e;
        MemoryTransport* t = e.fake->transport();
        t->breakLink(QStringLiteral("cable pulled"));
        settle();
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("x\n")), OPOS_SUCCESS);
        QCOMPARE(t->openAttempts(), 2);
        t->breakLink(QStringLiteral("cable pulled"));
        t->setOpenAnswer(Transport::OpenStatus::Failed, QStringLiteral("gone"));
        settle();
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("x\n")), OPOS_E_NOHARDWARE);
    }

    // The link breaks after the data went out and before the printer confirmed it: the waiting
    // call ends at once with the link's code, not the reply time-out's, and the next one reopens.
    void linkLostMidRequest() {
        Enabled e;
        MemoryTransport* t = e.fake->transport();
        e.fake->setIgnoreProcessId(true);
        QMetaObject::Connection cut = connect(t, &MemoryTransport::bytesWritten, t, [t](const QByteArray& b) {
            if (b.contains("lost\n"))
                t->breakLink(QStringLiteral("cable pulled"));
        });
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("lost\n")), OPOS_E_NOHARDWARE);
        QCOMPARE(e.p.ResultCodeExtended(), 0);
        disconnect(cut);
        e.fake->setIgnoreProcessId(false);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("back\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.State(), OPOS_S_IDLE);
    }

    void closeDiscardsQueuedOutput() {
        Enabled e;
        QSignalSpy done(&e.p, &PosPrinter::OutputCompleteEvent);
        e.p.setAsyncMode(true);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("one\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.Close(), OPOS_SUCCESS);
        settle();
        QCOMPARE(done.count(), 0);
        QCOMPARE(e.p.OutputID(), 0);
    }

    // ESC { counts only at the start of a line, so leaving upside-down mode after an unfinished
    // line prints that line first; otherwise the printer would stay upside down.
    void upsideDownEndsAtALineStart_data() {
        QTest::addColumn<int>("next");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("back to normal") << PTR_RP_NORMAL << hex("1b7b01 616263 0a 1b7b00");
        // The sideways block that follows is empty and prints nothing.
        QTest::newRow("on to sideways") << PTR_RP_LEFT90 << hex("1b7b01 616263 0a 1b7b00");
    }

    void upsideDownEndsAtALineStart() {
        QFETCH(int, next);
        QFETCH(QByteArray, expected);
        Enabled e;
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_ROTATE180), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("abc")), OPOS_SUCCESS);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, next), OPOS_SUCCESS);
        if (next != PTR_RP_NORMAL)
            QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
        QVERIFY2(e.fake->data().startsWith(expected), e.fake->data().toHex(' '));
    }

    // A cut inside print data is a cut like CutPaper: refused while a sideways block is open.
    void cutEscapeInASidewaysBlock_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<int>("code");
        QTest::newRow("ESC|P") << QStringLiteral("ab\n\x1b|P") << OPOS_E_ILLEGAL;
        QTest::newRow("ESC|50P") << QStringLiteral("\x1b|50P") << OPOS_E_ILLEGAL;
        QTest::newRow("ESC|fP") << QStringLiteral("ab\n\x1b|fP") << OPOS_E_ILLEGAL;
        QTest::newRow("ESC|75fP") << QStringLiteral("\x1b|75fP") << OPOS_E_ILLEGAL;
        QTest::newRow("bold is fine") << QStringLiteral("\x1b|bCab\n") << OPOS_SUCCESS;
    }

    void cutEscapeInASidewaysBlock() {
        QFETCH(QString, data);
        QFETCH(int, code);
        Enabled e;
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_RIGHT90), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, data), code);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
        QVERIFY(!e.fake->data().contains(hex("1d56")));
    }
};

QTEST_GUILESS_MAIN(TestPrinterOutput)
#include "tst_printeroutput.moc"
