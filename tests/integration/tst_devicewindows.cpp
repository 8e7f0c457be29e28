#include "app/form.h"
#include "app/frm_sample.h"
#include "app/statuslist.h"
#include "common/paperlines.h"
#include "common/windowtesting.h"
#include "drawer/frmcashdrawer.h"
#include "printer/frmprinter.h"
#include "support/builtindevices.h"

#include <QAbstractButton>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

int darkDots(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    int dark = 0;
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            dark += row[x] < 128 ? 1 : 0;
    }
    return dark;
}

} // namespace

// The windows driving our controls and the in-process virtual printer of the built-in registry.
class TestDeviceWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void printerLifecycleAndPrinting();
    void callsOutOfOrderLogTheControlsAnswer_data();
    void callsOutOfOrderLogTheControlsAnswer();
    void propertyReportOnAnEnabledPrinter();
    void propertyReportOnAClosedPrinter();
    void paperOutReachesTheStatusList();
    void drawerOpensAndReportsBothWays();
    void shutdownClosesBothDevicesSilently();
    void refusedOpenCarriesItsReason();

private:
    QTemporaryDir config;
    frmPrinter& openEnabledPrinter();
};

void TestDeviceWindows::initTestCase() {
    useBuiltInDevices(config);
    mainWindow();
}

void TestDeviceWindows::cleanup() {
    unloadWindows<frmPrinter, frmCashDrawer>();
}

frmPrinter& TestDeviceWindows::openEnabledPrinter() {
    frmPrinter& window = FormInstance<frmPrinter>::get();
    window.Display();
    const int before = mainWindow().Counter;
    click(window, "cmdOpenPrinter");
    click(window, "cmdClaimPrinter");
    click(window, "cmdEnablePrinter");
    [&] { QCOMPARE(resultsSince(before), QStringList(3, QStringLiteral("OPOS_SUCCESS"))); }();
    return window;
}

void TestDeviceWindows::printerLifecycleAndPrinting() {
    frmPrinter& window = openEnabledPrinter();
    const int before = mainWindow().Counter;
    window.findChild<QLineEdit*>(QStringLiteral("txtTextToPrint"))
        ->setText(QStringLiteral("Posling \\41\\42\\0a"));
    click(window, "cmdPrintNormal");
    click(window, "cmdLineFeed");
    click(window, "cmdCutPaper");
    click(window, "cmdDisablePrinter");
    click(window, "cmdReleasePrinter");
    click(window, "cmdClosePrinter");
    QCOMPARE(linesSince(before),
             (QStringList{QString::number(before) + ":  Result of Printer.PrintNormal:  OPOS_SUCCESS",
                          QString::number(before + 1) + ": 10 Line Feeds - OPOS_SUCCESS",
                          QString::number(before + 2) + ":  Result of Printer.Cut Paper:  OPOS_SUCCESS",
                          QString::number(before + 3) + ":  Result of Printer.Disable:  OPOS_SUCCESS",
                          QString::number(before + 4) + ":  Result of Printer.ReleaseDevice:  OPOS_SUCCESS",
                          QString::number(before + 5) + ":  Result of Printer.Close:  OPOS_SUCCESS"}));
    QVERIFY(virtualPrinter());
    QVERIFY(paperLines(*virtualPrinter()).contains(QStringLiteral("Posling AB")));
    // The cut closed the receipt that holds the text, and its dots are on the paper.
    const QList<virt::Receipt>& receipts = virtualPrinter()->paper()->receipts();
    QVERIFY(!receipts.isEmpty());
    QVERIFY(
        std::any_of(receipts.last().lines.cbegin(), receipts.last().lines.cend(),
                    [](const virt::PrintedLine& line) { return line.text == QLatin1String("Posling AB"); }));
    QVERIFY(darkDots(receipts.last().image) > 0);
    QCOMPARE(window.OPOSPOSPrinter1->State(), 1);
}

void TestDeviceWindows::callsOutOfOrderLogTheControlsAnswer_data() {
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QStringList>("results");
    QTest::newRow("claim before open") << QStringList{"cmdClaimPrinter"} << QStringList{"OPOS_E_CLOSED"};
    QTest::newRow("enable before open") << QStringList{"cmdEnablePrinter"} << QStringList{"OPOS_E_CLOSED"};
    QTest::newRow("enable before claim") << QStringList{"cmdOpenPrinter", "cmdEnablePrinter"}
                                         << QStringList{"OPOS_SUCCESS", "OPOS_E_NOTCLAIMED"};
    QTest::newRow("print before enable")
        << QStringList{"cmdOpenPrinter", "cmdClaimPrinter", "cmdPrintNormal", "cmdCutPaper"}
        << QStringList{"OPOS_SUCCESS", "OPOS_SUCCESS", "OPOS_E_DISABLED", "OPOS_E_DISABLED"};
}

// A wrong order is not prevented: each press makes its call and logs what the control says.
void TestDeviceWindows::callsOutOfOrderLogTheControlsAnswer() {
    QFETCH(QStringList, buttons);
    QFETCH(QStringList, results);
    frmPrinter& window = FormInstance<frmPrinter>::get();
    window.Display();
    const int before = mainWindow().Counter;
    for (const QString& button : std::as_const(buttons))
        click(window, qPrintable(button));
    QCOMPARE(resultsSince(before), results);
}

void TestDeviceWindows::propertyReportOnAnEnabledPrinter() {
    frmPrinter& window = openEnabledPrinter();
    const int before = mainWindow().Counter;
    click(window, "cmdPrintProperties");
    QCOMPARE(resultsSince(before), QStringList(138, QStringLiteral("OPOS_SUCCESS")));
    const QStringList printed = paperLines(*virtualPrinter());
    QVERIFY(printed.contains(QStringLiteral("Common/State Properties")));
    // Each value stands on the line below its label.
    const qsizetype state = printed.lastIndexOf(QStringLiteral("--State:   "));
    QVERIFY(state >= 0);
    QCOMPARE(printed.value(state + 1), QStringLiteral("2"));
    const qsizetype async = printed.lastIndexOf(QStringLiteral("--AsyncMode:   "));
    QCOMPARE(printed.value(async + 1), QStringLiteral("False"));
    QCOMPARE(printed.count(QStringLiteral("End of Test")), 2);
}

void TestDeviceWindows::propertyReportOnAClosedPrinter() {
    frmPrinter& window = FormInstance<frmPrinter>::get();
    const int before = mainWindow().Counter;
    click(window, "cmdPrintProperties");
    QCOMPARE(resultsSince(before), QStringList(138, QStringLiteral("OPOS_E_CLOSED")));
}

void TestDeviceWindows::paperOutReachesTheStatusList() {
    frmPrinter& window = openEnabledPrinter();
    const int before = mainWindow().Counter;
    virtualPrinter()->setPaper(virt::PaperLevel::Out);
    QTRY_VERIFY(
        linesSince(before).contains(QString::number(before) + "-StatusUpdateEvent: 24: PTR_SUE_REC_EMPTY"));

    const int printed = mainWindow().Counter;
    click(window, "cmdPrintNormal");
    QCOMPARE(linesSince(printed).value(0), QString::number(printed) +
                                               ":  Result of Printer.PrintNormal:  "
                                               "OPOS_E_EXTENDED:  OPOS_EPTR_REC_EMPTY");

    virtualPrinter()->setPaper(virt::PaperLevel::Ok);
    QTRY_VERIFY(
        !linesSince(printed).filter(QStringLiteral("-StatusUpdateEvent: 26: PTR_SUE_REC_PAPEROK")).isEmpty());
}

void TestDeviceWindows::drawerOpensAndReportsBothWays() {
    frmCashDrawer& window = FormInstance<frmCashDrawer>::get();
    window.Display();
    const int before = mainWindow().Counter;
    click(window, "cmdOpenSOCashDrawer1");
    click(window, "cmdCashDrawer1Enable");
    click(window, "cmdCashDrawer1Kick");
    QCOMPARE(
        linesSince(before).mid(0, 3),
        (QStringList{QString::number(before) + ":  Result of CashDrawer1.Open:  OPOS_SUCCESS",
                     QString::number(before + 1) + ":  Result of CashDrawer1.Enable:  OPOS_SUCCESS",
                     QString::number(before + 2) + ":  Result of CashDrawer1.OpenDrawer:  OPOS_SUCCESS"}));
    QTRY_VERIFY(
        !linesSince(before).filter(QStringLiteral("-StatusUpdateEvent: 1 : Drawer 1 is Open")).isEmpty());
    virtualPrinter()->drawer()->close();
    QTRY_VERIFY(
        !linesSince(before).filter(QStringLiteral("-StatusUpdateEvent: 0 : Drawer 1 is Closed")).isEmpty());
}

void TestDeviceWindows::shutdownClosesBothDevicesSilently() {
    QPointer<opos::PosPrinter> printer = openEnabledPrinter().OPOSPOSPrinter1;
    frmCashDrawer& drawerWindow = FormInstance<frmCashDrawer>::get();
    drawerWindow.Display();
    click(drawerWindow, "cmdOpenSOCashDrawer1");
    QPointer<opos::CashDrawer> drawer = drawerWindow.OPOSCashDrawer1;
    QCOMPARE(drawer->State(), 2);

    frm_Sample& main = mainWindow(); // exiting unloads it: reaching it anew would load another
    const int lines = main.lstStatusResults->ListCount();
    QCOMPARE(printer->State(), 2);
    main.cmdExit_Click();
    QCOMPARE(main.lstStatusResults->ListCount(), lines);
    QCOMPARE(printer ? printer->State() : 1, 1);
    QCOMPARE(drawer ? drawer->State() : 1, 1);
    QVERIFY(!FormInstance<frmPrinter>::isLoaded());
    QVERIFY(!FormInstance<frmCashDrawer>::isLoaded());
}

// Why Open was refused is in the failed line's hover text, not only in the log.
void TestDeviceWindows::refusedOpenCarriesItsReason() {
    QTemporaryDir folder;
    const QString devices = folder.filePath(QStringLiteral("devices.ini"));
    QFile file(devices);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Z901]\nclass=POSPrinter\nconnection=virtual:Z901\ntimeout=soon\n");
    file.close();
    qputenv("POSLING_DEVICES", QFile::encodeName(devices));
    frmPrinter& window = FormInstance<frmPrinter>::get();
    window.Display();
    click(window, "cmdOpenPrinter");
    qunsetenv("POSLING_DEVICES");
    StatusList* list = mainWindow().lstStatusResults;
    const QString help = list->lineHelp(list->ListCount() - 1);
    QVERIFY2(help.contains(QLatin1String("Reason: ")) && help.contains(QLatin1String("timeout")),
             qPrintable(help));
    click(window, "cmdClaimPrinter"); // a later line of another call carries no stale reason
    QVERIFY(!list->lineHelp(list->ListCount() - 1).contains(QLatin1String("Reason: ")));
}

QTEST_MAIN(TestDeviceWindows)
#include "tst_devicewindows.moc"
