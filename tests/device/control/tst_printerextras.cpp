#include "device/control/binaryconversion.h"
#include "device/control/cashdrawercontrol.h"
#include "device/control/posprintercontrol.h"
#include "support/enabledprinter.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace device;
using namespace opos;

namespace {

// The value of one statistic in a UPOSStat document.
qint64 statisticIn(const QString& xml, const QString& name) {
    const QRegularExpression value(QStringLiteral("<Name>%1</Name>\\s*<Value>(\\d+)</Value>").arg(name));
    const QRegularExpressionMatch match = value.match(xml);
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

QString retrieved(PosPrinterControl& p, const QString& names = {}) {
    QString buffer = names;
    return p.RetrieveStatistics(buffer) == OPOS_SUCCESS ? buffer : QString();
}

} // namespace

class TestPrinterExtras : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A transaction prints nothing until it ends, then all of it as one request; in asynchronous
    // mode every call it held completes with it, in order.
    void transactionHoldsOutputUntilItEnds_data() {
        QTest::addColumn<bool>("async");
        QTest::newRow("synchronous") << false;
        QTest::newRow("asynchronous") << true;
    }

    void transactionHoldsOutputUntilItEnds() {
        QFETCH(bool, async);
        Enabled e;
        QSignalSpy done(&e.p, &PosPrinter::OutputCompleteEvent);
        e.p.setAsyncMode(async);
        QCOMPARE(e.p.TransactionPrint(PTR_S_RECEIPT, PTR_TP_TRANSACTION), OPOS_SUCCESS);
        QCOMPARE(e.p.TransactionPrint(PTR_S_RECEIPT, PTR_TP_TRANSACTION), OPOS_E_ILLEGAL);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("one\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.CutPaper(100), OPOS_SUCCESS);
        settle();
        QCOMPARE(e.fake->data(), QByteArray());
        QCOMPARE(e.p.TransactionPrint(PTR_S_RECEIPT, PTR_TP_NORMAL), OPOS_SUCCESS);
        QTRY_COMPARE(e.fake->data(), QByteArray("one\n") + hex("1d564100"));
        if (async) {
            QTRY_COMPARE(done.count(), 3);
            for (int i = 0; i < 3; ++i)
                QCOMPARE(done.at(i).at(0).toInt(), i + 1);
        }
    }

    void clearOutputEndsATransaction() {
        Enabled e;
        QCOMPARE(e.p.TransactionPrint(PTR_S_RECEIPT, PTR_TP_TRANSACTION), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("lost\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.ClearOutput(), OPOS_SUCCESS);
        QCOMPARE(e.p.TransactionPrint(PTR_S_RECEIPT, PTR_TP_NORMAL), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("kept\n")), OPOS_SUCCESS);
        QCOMPARE(e.fake->data(), QByteArray("kept\n"));
    }

    // PrintImmediate goes out now: inside a transaction, beside queued asynchronous output (no
    // E_BUSY), in a line of its own that leaves the open line's attributes alone; a fault answers
    // at once.
    void printImmediate() {
        Enabled e;
        QCOMPARE(e.p.TransactionPrint(PTR_S_RECEIPT, PTR_TP_TRANSACTION), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintImmediate(PTR_S_RECEIPT, QStringLiteral("now")), OPOS_SUCCESS);
        QCOMPARE(e.fake->data(), QByteArray("now\n"));
        QCOMPARE(e.p.TransactionPrint(PTR_S_RECEIPT, PTR_TP_NORMAL), OPOS_SUCCESS);
        e.fake->clear();
        e.p.setAsyncMode(true);
        e.fake->setBusy(true);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("queued\n")), OPOS_SUCCESS);
        e.fake->setBusy(false);
        e.fake->setCoverOpen(true);
        QCOMPARE(e.p.PrintImmediate(PTR_S_RECEIPT, QStringLiteral("x")), OPOS_E_EXTENDED);
        QCOMPARE(e.p.ResultCodeExtended(), OPOS_EPTR_COVER_OPEN);
    }

    // PrintImmediate ends the data's line only where the data leaves it open: after a feed or a cut
    // the printer is at the start of a line already, and a line feed more would print a blank line.
    void printImmediateEndsAnOpenLineOnly_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("asPrintNormal");
        QTest::newRow("text") << "now"
                              << "now\n";
        QTest::newRow("line") << "now\n"
                              << "now\n";
        QTest::newRow("feed") << "a\x1b|2lF"
                              << "a\x1b|2lF";
        QTest::newRow("cut") << "a\n\x1b|fP"
                             << "a\n\x1b|fP";
    }

    void printImmediateEndsAnOpenLineOnly() {
        QFETCH(QString, data);
        QFETCH(QString, asPrintNormal);
        QByteArray expected;
        {
            Enabled normal;
            QCOMPARE(normal.p.PrintNormal(PTR_S_RECEIPT, asPrintNormal), OPOS_SUCCESS);
            expected = normal.fake->data();
        }
        Enabled immediate;
        QCOMPARE(immediate.p.PrintImmediate(PTR_S_RECEIPT, data), OPOS_SUCCESS);
        QCOMPARE(immediate.fake->data().toHex(' '), expected.toHex(' '));
    }

    void logosPrintWhereTheirEscapesStand() {
        Enabled e;
        QCOMPARE(e.p.SetLogo(PTR_L_TOP, QStringLiteral("SHOP\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.SetLogo(PTR_L_BOTTOM, QStringLiteral("THANKS\n")), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("\x1b|tLitem\n\x1b|bL")), OPOS_SUCCESS);
        QCOMPARE(e.fake->data(), QByteArray("SHOP\nitem\nTHANKS\n"));
    }

    void directIO_data() {
        QTest::addColumn<int>("conversion");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("data");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("dataAfter");
        QTest::addColumn<QByteArray>("printed");
        QTest::newRow("write as is") << OPOS_BC_NONE << 1 << 0 << QStringLiteral("ab\n") << OPOS_SUCCESS << 3
                                     << QByteArray("ab\n");
        QTest::newRow("write nibbles") << OPOS_BC_NIBBLE << 1 << 0 << QStringLiteral("6162:0") << OPOS_SUCCESS
                                       << 3 << QByteArray("ab\xa0");
        QTest::newRow("write decimal") << OPOS_BC_DECIMAL << 1 << 0 << QStringLiteral("097010")
                                       << OPOS_SUCCESS << 2 << QByteArray("a\n");
        QTest::newRow("not a byte") << OPOS_BC_NONE << 1 << 0 << QStringLiteral("\u20ac") << OPOS_E_ILLEGAL
                                    << 0 << QByteArray();
        QTest::newRow("bad nibbles") << OPOS_BC_NIBBLE << 1 << 0 << QStringLiteral("6") << OPOS_E_ILLEGAL << 0
                                     << QByteArray();
        QTest::newRow("status 1") << OPOS_BC_NONE << 2 << 1 << QString() << OPOS_SUCCESS << 0x12
                                  << QByteArray();
        QTest::newRow("status 5") << OPOS_BC_NONE << 2 << 5 << QString() << OPOS_E_ILLEGAL << 5
                                  << QByteArray();
    }

    void directIO() {
        QFETCH(int, conversion);
        QFETCH(int, command);
        QFETCH(int, data);
        QFETCH(QString, text);
        Enabled e;
        e.p.setBinaryConversion(conversion);
        QTEST(e.p.DirectIO(command, data, text), "code");
        QTEST(data, "dataAfter");
        QTEST(e.fake->data(), "printed");
    }

    void binaryConversion_data() {
        QTest::addColumn<int>("conversion");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes"); // "-" for none
        QTest::newRow("none, latin-1")
            << OPOS_BC_NONE << QStringLiteral("\u00ff\x01") << QByteArray("\xff\x01");
        QTest::newRow("nibble") << OPOS_BC_NIBBLE << QStringLiteral("1;?0") << QByteArray("\x1b\xf0");
        QTest::newRow("nibble odd") << OPOS_BC_NIBBLE << QStringLiteral("1;?") << QByteArray("-");
        QTest::newRow("nibble out of range") << OPOS_BC_NIBBLE << QStringLiteral("1@") << QByteArray("-");
        QTest::newRow("decimal") << OPOS_BC_DECIMAL << QStringLiteral("027255") << QByteArray("\x1b\xff");
        QTest::newRow("decimal above 255") << OPOS_BC_DECIMAL << QStringLiteral("256") << QByteArray("-");
        QTest::newRow("decimal sign") << OPOS_BC_DECIMAL << QStringLiteral("+12") << QByteArray("-");
        QTest::newRow("unknown conversion") << 3 << QStringLiteral("a") << QByteArray("-");
    }

    void binaryConversion() {
        QFETCH(int, conversion);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const std::optional<QByteArray> converted = fromBinaryString(text, conversion);
        QCOMPARE(converted.value_or("-"), bytes);
    }

    // Every dimension reads and is given in MapMode units.
    void mapModeScalesEveryDimension_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("lineWidth");   // 576 dots at 203 dpi
        QTest::addColumn<int>("lineSpacing"); // 30 dots
        QTest::addColumn<int>("barHeight");   // given for 100 dots
        QTest::newRow("dots") << PTR_MM_DOTS << 576 << 30 << 100;
        QTest::newRow("twips") << PTR_MM_TWIPS << 4086 << 213 << 709;
        QTest::newRow("english") << PTR_MM_ENGLISH << 2837 << 148 << 493;
        QTest::newRow("metric") << PTR_MM_METRIC << 7207 << 375 << 1251;
    }

    void mapModeScalesEveryDimension() {
        QFETCH(int, mode);
        QFETCH(int, barHeight);
        Enabled e;
        e.p.setMapMode(mode);
        QCOMPARE(e.p.ResultCode(), OPOS_SUCCESS);
        QCOMPARE(e.p.MapMode(), mode);
        QTEST(e.p.RecLineWidth(), "lineWidth");
        QTEST(e.p.RecLineSpacing(), "lineSpacing");
        QCOMPARE(e.p.PrintBarCode(PTR_S_RECEIPT, QStringLiteral("12345"), PTR_BCS_Code128, barHeight,
                                  e.p.RecLineWidth() / 2, PTR_BC_LEFT, PTR_BC_TEXT_NONE),
                 OPOS_SUCCESS);
        QVERIFY(e.fake->data().contains(hex("1d6864"))); // GS h 100
    }

    // More characters on a line take the smaller font, and the line pitch follows it.
    void lineCharsChoosesTheFont() {
        Enabled e;
        e.p.setRecLineChars(56);
        QCOMPARE(e.p.ResultCode(), OPOS_SUCCESS);
        QCOMPARE(e.p.RecLineChars(), 56);
        QVERIFY(e.p.RecLineHeight() < 24);
        QVERIFY(e.p.RecLineSpacing() < 30);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("small\n")), OPOS_SUCCESS);
        QVERIFY(e.fake->data().contains(hex("1b4d01"))); // ESC M 1
        e.p.setRecLineSpacing(50);
        QCOMPARE(e.p.RecLineSpacing(), 50);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("wide\n")), OPOS_SUCCESS);
        QVERIFY(e.fake->data().contains(hex("1b3332"))); // ESC 3 50
        e.p.setRecLineChars(48);
        QCOMPARE(e.p.RecLineHeight(), 24);
    }

    void rotateSpecialTurnsBarCodes_data() {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QByteArray>("page"); // page mode and direction, or nothing
        QTest::newRow("normal") << PTR_RP_NORMAL << QByteArray();
        QTest::newRow("left") << PTR_RP_LEFT90 << hex("1b54 01");
        QTest::newRow("right") << PTR_RP_RIGHT90 << hex("1b54 03");
        QTest::newRow("half a turn") << PTR_RP_ROTATE180 << hex("1b54 02");
    }

    void rotateSpecialTurnsBarCodes() {
        QFETCH(int, rotation);
        QFETCH(QByteArray, page);
        Enabled e;
        e.p.setRotateSpecial(rotation);
        QCOMPARE(e.p.RotateSpecial(), rotation);
        QCOMPARE(e.p.PrintBarCode(PTR_S_RECEIPT, QStringLiteral("12345"), PTR_BCS_Code128, 80, 200,
                                  PTR_BC_LEFT, PTR_BC_TEXT_NONE),
                 OPOS_SUCCESS);
        QCOMPARE(e.fake->data().contains(hex("1b4c")), !page.isEmpty());
        if (!page.isEmpty())
            QVERIFY(e.fake->data().contains(page));
    }

    // The external check prints who the printer is, the character modes, a bar code and a cut;
    // the interactive one shows the same with the result; a fault fails both.
    void healthCheckReceipt_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("coverOpen");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("external") << 2 << false << OPOS_SUCCESS << "External HCheck: Successful";
        QTest::newRow("interactive") << 3 << false << OPOS_SUCCESS << "Interactive HCheck: Successful";
        QTest::newRow("external, cover open")
            << 2 << true << OPOS_E_EXTENDED << "External HCheck: Cover Open";
    }

    void healthCheckReceipt() {
        QFETCH(int, level);
        QFETCH(bool, coverOpen);
        QFETCH(QString, text);
        QStringList shown;
        opos::HostServices services;
        services.showInteractiveCheck = [&](const QString& title, const QString& report) {
            shown << title << report;
        };
        Enabled e(services);
        e.fake->setCoverOpen(coverOpen);
        QTEST(e.p.CheckHealth(level), "code");
        QCOMPARE(e.p.CheckHealthText(), text);
        QCOMPARE(shown.size(), level == OPOS_CH_INTERACTIVE ? 2 : 0);
        if (coverOpen)
            return;
        const QByteArray paper = e.fake->data();
        for (const QByteArray& part :
             {QByteArray("Posling health check"), QByteArray("Double wide"), hex("1d6b49"), hex("1d5641")})
            QVERIFY2(paper.contains(part), part.toHex(' '));
        if (level == OPOS_CH_INTERACTIVE)
            QVERIFY(shown.at(1).endsWith(QStringLiteral("Result: Successful")));
    }

    // What printed is counted, and the counts outlive the control.
    void statisticsCountWhatPrinted() {
        Enabled e;
        QCOMPARE(e.p.ResetStatistics(QString()), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("ab\n\x1b|bCcd\n\x1b|3lF")), OPOS_SUCCESS);
        QCOMPARE(e.p.CutPaper(100), OPOS_SUCCESS);
        QCOMPARE(e.p.PrintBarCode(PTR_S_RECEIPT, QStringLiteral("12345"), PTR_BCS_Code128, 80, 200,
                                  PTR_BC_LEFT, PTR_BC_TEXT_NONE),
                 OPOS_SUCCESS);
        e.fake->setCoverOpen(true);
        QCOMPARE(e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("not printed\n")), OPOS_E_EXTENDED);
        e.fake->setCoverOpen(false);
        settle();
        const QString xml = retrieved(e.p);
        const QList<std::pair<QString, qint64>> expected{{QStringLiteral("ReceiptLinePrintedCount"), 2},
                                                         {QStringLiteral("ReceiptCharacterPrintedCount"), 4},
                                                         {QStringLiteral("ReceiptLineFeedCount"), 3},
                                                         {QStringLiteral("PaperCutCount"), 1},
                                                         {QStringLiteral("BarcodePrintedCount"), 1},
                                                         {QStringLiteral("PrinterFaultCount"), 1},
                                                         {QStringLiteral("ReceiptCoverOpenCount"), 1}};
        for (const auto& [name, value] : expected)
            QVERIFY2(statisticIn(xml, name) == value, qPrintable(name + QLatin1Char(' ') + xml));
        QCOMPARE(e.p.UpdateStatistics(QStringLiteral("PaperCutCount=40")), OPOS_SUCCESS);
        QCOMPARE(e.p.Close(), OPOS_SUCCESS);
        PosPrinterControl again;
        QCOMPARE(again.Open(QStringLiteral("P")), OPOS_SUCCESS);
        QCOMPARE(again.Claim(0), OPOS_SUCCESS);
        again.setDeviceEnabled(true);
        QCOMPARE(
            statisticIn(retrieved(again, QStringLiteral("PaperCutCount")), QStringLiteral("PaperCutCount")),
            40);
    }

    // A bar code the full sideways block refuses has not printed: it is not counted with the block.
    void refusedBarCodeIsNotCounted() {
        Enabled e;
        QCOMPARE(e.p.ResetStatistics(QString()), OPOS_SUCCESS);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_LEFT90 | PTR_RP_BARCODE), OPOS_SUCCESS);
        int lines = 0;
        while (lines < 100 && e.p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("x\n")) == OPOS_SUCCESS)
            ++lines;
        QCOMPARE(e.p.PrintBarCode(PTR_S_RECEIPT, QStringLiteral("12345"), PTR_BCS_Code128, 80, 200,
                                  PTR_BC_LEFT, PTR_BC_TEXT_NONE),
                 OPOS_E_ILLEGAL);
        QCOMPARE(e.p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL), OPOS_SUCCESS);
        settle();
        const QString xml = retrieved(e.p);
        QCOMPARE(statisticIn(xml, QStringLiteral("ReceiptLinePrintedCount")), lines);
        QCOMPARE(statisticIn(xml, QStringLiteral("BarcodePrintedCount")), 0);
    }

    // The drawer: WaitForDrawerClose returns when it closes, sounds the bell while it stays open,
    // and gives up at its cap; the health check pulses it.
    void waitForDrawerClose() {
        DeviceRig rig;
        int beeps = 0;
        opos::HostServices services;
        services.ringBell = [&](int frequency, int) { beeps += frequency == 800; };
        CashDrawerControl d(services);
        QCOMPARE(d.Open(QStringLiteral("D")), OPOS_SUCCESS);
        d.setDeviceEnabled(true);
        FakePrinter* fake = FakePrinter::of(QStringLiteral("P"));
        QCOMPARE(d.WaitForDrawerClose(0, 800, 10, 10), OPOS_SUCCESS); // closed already
        fake->setDrawerPin(true);
        QTRY_VERIFY(d.DrawerOpened());
        QTimer::singleShot(300, fake, [fake] { fake->setDrawerPin(false); });
        QCOMPARE(d.WaitForDrawerClose(50, 800, 10, 40), OPOS_SUCCESS);
        QVERIFY(!d.DrawerOpened());
        QVERIFY2(beeps >= 2 && beeps <= 6, qPrintable(QString::number(beeps)));
        fake->setDrawerPin(true);
        QTRY_VERIFY(d.DrawerOpened());
        CashDrawerControl::setDrawerCloseWaitCapMs(100);
        QCOMPARE(d.WaitForDrawerClose(OPOS_FOREVER, 0, 0, 0), OPOS_E_TIMEOUT);
        CashDrawerControl::setDrawerCloseWaitCapMs(CashDrawerControl::kDrawerCloseWaitCapMs);
        QCOMPARE(d.CheckHealth(OPOS_CH_EXTERNAL), OPOS_SUCCESS);
        QCOMPARE(fake->kicks(), 1);
        QCOMPARE(d.CheckHealthText(), QStringLiteral("External HCheck: Successful"));
        QString xml;
        QCOMPARE(d.RetrieveStatistics(xml), OPOS_SUCCESS);
        QCOMPARE(statisticIn(xml, QStringLiteral("DrawerGoodOpenCount")), 1);
    }
};

QTEST_GUILESS_MAIN(TestPrinterExtras)
#include "tst_printerextras.moc"
