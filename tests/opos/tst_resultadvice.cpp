#include "opos/resultadvice.h"

#include <QTest>

class TestResultAdvice : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void adviceForLine_data();
    void adviceForLine();
};

void TestResultAdvice::adviceForLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("advice");

    QTest::newRow("not claimed") << "3:  Result of Printer.Enable:  OPOS_E_NOTCLAIMED"
                                 << "Claim the device before enabling it";
    QTest::newRow("extended code wins over OPOS_E_EXTENDED")
        << "7:  Result of Printer.PrintNormal:  OPOS_E_EXTENDED:  OPOS_EPTR_REC_EMPTY"
        << "The receipt paper is out: load paper";
    QTest::newRow("extended with unknown extended code")
        << "7:  Result of Printer.PrintNormal:  OPOS_E_EXTENDED:  Unknown Error"
        << "The device reported a device-specific error: look at the extended code";
    QTest::newRow("error event: result code, not locus or response")
        << "5:  ErrorEvent: 111: OPOS_E_FAILURE: ; 1: OPOS_EL_OUTPUT; 11: OPOS_ER_RETRY"
        << "The device could not carry out the request: check the device and try again";
    QTest::newRow("error event with extended part")
        << "5:  ErrorEvent: 114: OPOS_E_EXTENDED:  OPOS_EPTR_COVER_OPEN: 201: OPOS_EPTR_COVER_OPEN; 1: "
           "OPOS_EL_OUTPUT; 12: OPOS_ER_CLEAR"
        << "The printer cover is open: close it";
    QTest::newRow("status update, no blank before hyphen") << "8-StatusUpdateEvent: 24: PTR_SUE_REC_EMPTY"
                                                           << "The receipt paper ran out: load paper";
    QTest::newRow("unknown status update") << "8-StatusUpdateEvent: 2001: Unknown SUE"
                                           << "This is not a standard printer status: look it up in the "
                                              "device's documentation";
    QTest::newRow("unknown result") << "2:  Result of CashDrawer1.Open:  Unknown Error"
                                    << "This is not a standard result code: look it up in the device's "
                                       "documentation";
    QTest::newRow("async mode line") << "7:  AsyncMode = TRUE :  OPOS_SUCCESS"
                                     << "The device did what was asked: go on with the next step";
    QTest::newRow("prefix of a longer name is not the name") << "1:  Result of Printer.Open:  OPOS_E_CLOSEDX"
                                                             << "";
    QTest::newRow("typed text is not searched")
        << "5:  Result of Printer.Claim:  Time-out must be a whole number of milliseconds: \"OPOS_E_BUSY\""
        << "";
    QTest::newRow("output complete has no code") << "9: Output Event Complete. ID: 3"
                                                 << "";
    QTest::newRow("drawer status") << "4-StatusUpdateEvent: 1 : Drawer 1 is Open"
                                   << "";
    QTest::newRow("empty line") << ""
                                << "";

    const QString findOut =
        QStringLiteral(". Run posling --check-devices in a terminal to see why. Permission "
                       "denied: join the lp group (USB) or dialout (serial), then log in "
                       "again. Busy: close the program it names.");
    QTest::newRow("printer open, no hardware")
        << "1:  Result of Printer.Open:  OPOS_E_NOHARDWARE"
        << "The device does not answer: check that it is connected and switched on" + findOut;
    QTest::newRow("printer open, no such device")
        << "1:  Result of Printer.Open:  OPOS_E_NOEXIST"
        << "The named device, file or item does not exist: check the name" + findOut;
    QTest::newRow("printer claim, time-out")
        << "2:  Result of Printer.Claim:  OPOS_E_TIMEOUT"
        << "The device did not answer in time: check the connection or allow a longer time-out" + findOut;
    QTest::newRow("printer claim, claimed elsewhere: no device check")
        << "2:  Result of Printer.Claim:  OPOS_E_CLAIMED"
        << "Another application holds the device: have it released there, then claim again";
    QTest::newRow("printing, no hardware: no device check")
        << "3:  Result of Printer.PrintNormal:  OPOS_E_NOHARDWARE"
        << "The device does not answer: check that it is connected and switched on";
    QTest::newRow("drawer open, no hardware: no device check")
        << "2:  Result of CashDrawer1.Open:  OPOS_E_NOHARDWARE"
        << "The device does not answer: check that it is connected and switched on";
}

void TestResultAdvice::adviceForLine() {
    QFETCH(QString, line);
    QFETCH(QString, advice);
    QCOMPARE(opos::resultAdvice(line), advice);
}

QTEST_GUILESS_MAIN(TestResultAdvice)
#include "tst_resultadvice.moc"
