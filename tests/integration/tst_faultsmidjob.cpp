#include "common/paperlines.h"
#include "common/reportpaper.h"
#include "common/windowtesting.h"
#include "device/control/posprintercontrol.h"
#include "device/installcontrols.h"
#include "opos/oposconstants.h"
#include "printer/frmprinter.h"
#include "virtual/installvirtual.h"
#include "virtual/tcpprinterserver.h"
#include "virtual/virtualprinterhub.h"

#include <QAbstractButton>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace opos;

namespace {

constexpr int kReportLines = 138;

QString printedSince(virt::VirtualPrinter* printer, qsizetype from) {
    return reportText(paperLines(*printer).mid(from));
}

bool wireLogSays(virt::VirtualPrinter* printer, const QString& text) {
    const QList<virt::WireLog::Entry>& entries = printer->wireLog()->entries();
    return std::any_of(entries.cbegin(), entries.cend(),
                       [&](const virt::WireLog::Entry& e) { return e.name.contains(text); });
}

qsizetype countContaining(const QStringList& lines, const QString& text) {
    return std::count_if(lines.cbegin(), lines.cend(), [&](const QString& l) { return l.contains(text); });
}

} // namespace

// Faults in the middle of a job on the virtual printer, which keeps its receive buffer while
// stopped and prints at a real printer's speed: in-process and over TCP on loopback.
class TestFaultsMidJob : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void asyncReportPrintsOnceThroughAFault_data();
    void asyncReportPrintsOnceThroughAFault();
    void clearDiscardsTheRestAndTheNextJobPrints_data();
    void clearDiscardsTheRestAndTheNextJobPrints();
    void powerEventsWhileIdle_data();
    void powerEventsWhileIdle();

private:
    void addConnections();
    virt::VirtualPrinter* useConnection(const QString& kind);

    QTemporaryDir m_folder;
    std::unique_ptr<virt::TcpPrinterServer> m_server;
};

void TestFaultsMidJob::initTestCase() {
    QVERIFY(m_folder.isValid());
    qputenv("XDG_CONFIG_HOME", m_folder.path().toUtf8());
    qunsetenv("POSLING_CAPTURE_DIR");
    installDeviceControls();
    installVirtualPrinter();
    mainWindow();
    // A second mechanism, reached only through its TCP port, as posling-virtual-printer serves it.
    m_server = std::make_unique<virt::TcpPrinterServer>(
        virt::VirtualPrinterHub::instance()->printer(QStringLiteral("TCP")));
    QString error;
    QVERIFY2(m_server->listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
}

void TestFaultsMidJob::cleanupTestCase() {
    unloadWindows<frmPrinter>();
}

// A failed row leaves the window's printer open; the next one starts from a closed device.
void TestFaultsMidJob::cleanup() {
    frmPrinter& window = FormInstance<frmPrinter>::get();
    click(window, "cmdClosePrinter");
    if (window.findChild<QAbstractButton*>(QStringLiteral("chkSyncMode"))->isChecked())
        click(window, "chkSyncMode");
}

void TestFaultsMidJob::addConnections() {
    QTest::addColumn<QString>("connection");
}

// Points the device name Z901 at the in-process printer or at the TCP one; every Open reads the
// registry afresh. The printer runs at a real printer's speed, so a fault lands mid-job.
virt::VirtualPrinter* TestFaultsMidJob::useConnection(const QString& kind) {
    const bool tcp = kind == QLatin1String("tcp");
    const QString file = m_folder.filePath(QStringLiteral("devices-%1.ini").arg(kind));
    QFile ini(file);
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return nullptr;
    ini.write(QStringLiteral("[Z901]\nclass=POSPrinter\nconnection=%1\nprofile=80mm\n\n"
                             "[Z901-1]\nclass=CashDrawer\nprinter=Z901\n")
                  .arg(tcp ? QStringLiteral("tcp://127.0.0.1:%1").arg(m_server->port())
                           : QStringLiteral("virtual:Z901"))
                  .toUtf8());
    ini.close();
    qputenv("POSLING_DEVICES", QFile::encodeName(file));
    virt::VirtualPrinter* printer = virt::VirtualPrinterHub::instance()->printer(tcp ? "TCP" : "Z901");
    printer->setDotLinesPerSecond(virt::VirtualPrinter::kRealisticDotLinesPerSecond);
    printer->setCoverOpen(false);
    printer->setPaper(virt::PaperLevel::Ok);
    printer->setOnline(true);
    return printer;
}

void TestFaultsMidJob::asyncReportPrintsOnceThroughAFault_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("keptMs"); // how long the fault lasts once reported
    for (const char* connection : {"virtual", "tcp"}) {
        QTest::addRow("%s, no fault", connection) << connection << "" << 0;
        QTest::addRow("%s, paper out", connection) << connection << "paper" << 500;
        QTest::addRow("%s, cover open", connection)
            << connection << "cover"
            << (QLatin1String(connection) == QLatin1String("virtual") ? 20000 : 3000);
    }
}

// The property report in asynchronous mode: 138 immediate results, then 138 completions with
// rising IDs, and the paper holds the report once, whatever happened in the middle. A fault
// gives one ErrorEvent however long it lasts, and the status events of its sensor.
void TestFaultsMidJob::asyncReportPrintsOnceThroughAFault() {
    QFETCH(QString, connection);
    QFETCH(QString, fault);
    QFETCH(int, keptMs);
    virt::VirtualPrinter* printer = useConnection(connection);
    QVERIFY(printer);
    frmPrinter& window = FormInstance<frmPrinter>::get();
    window.Display();
    frm_Sample& main = mainWindow();
    int before = main.Counter;
    click(window, "cmdOpenPrinter");
    click(window, "cmdClaimPrinter");
    click(window, "cmdEnablePrinter");
    click(window, "chkSyncMode");
    QStringList lines = linesSince(before);
    QCOMPARE(countContaining(lines, QStringLiteral("OPOS_SUCCESS")), 4);
    QVERIFY(lines.last().contains(QLatin1String("AsyncMode = TRUE")));

    const qsizetype paperStart = paperLines(*printer).size();
    before = main.lstStatusResults->ListCount();
    click(window, "cmdPrintProperties");
    const QStringList results = linesSince(before);
    QCOMPARE(results.size(), kReportLines);
    QCOMPARE(countContaining(results, QStringLiteral("OPOS_SUCCESS")), kReportLines);

    if (!fault.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT(paperLines(*printer).size() - paperStart >= 30, 10000);
        // In the middle of a line: paper out costs that line, which must come out again.
        QTRY_VERIFY(!printer->lineInHead().isEmpty());
        if (fault == QLatin1String("paper")) {
            printer->setPaper(virt::PaperLevel::Out);
            QVERIFY(wireLogSays(printer, QStringLiteral("that line is lost")));
        } else {
            printer->setCoverOpen(true);
        }
        QTRY_COMPARE_WITH_TIMEOUT(countContaining(linesSince(before), QStringLiteral("ErrorEvent")), 1, 5000);
        QTest::qWait(keptMs);
        const QStringList during = linesSince(before);
        QCOMPARE(countContaining(during, QStringLiteral("ErrorEvent")), 1);
        const QString error = during.filter(QStringLiteral("ErrorEvent")).value(0);
        QVERIFY2(error.contains(QLatin1String(fault == QLatin1String("paper") ? ": 203: " : ": 201: ")) &&
                     error.contains(QLatin1String("OPOS_E_EXTENDED")) &&
                     error.contains(QLatin1String("OPOS_EL_OUTPUT")) &&
                     error.contains(QLatin1String("OPOS_ER_RETRY")),
                 qPrintable(error));
        QVERIFY(countContaining(during, QStringLiteral("Output Event Complete")) < kReportLines);
        if (fault == QLatin1String("paper"))
            printer->setPaper(virt::PaperLevel::Ok);
        else
            printer->setCoverOpen(false);
    }
    QTRY_COMPARE_WITH_TIMEOUT(countContaining(linesSince(before), QStringLiteral("Output Event Complete")),
                              qsizetype(kReportLines), 20000);
    const QStringList after = linesSince(before);
    QStringList completions = after.filter(QStringLiteral("Output Event Complete"));
    for (qsizetype i = 1; i < completions.size(); ++i)
        QVERIFY(completions.at(i).section(u' ', -1).toInt() >
                completions.at(i - 1).section(u' ', -1).toInt());
    const QStringList events = after.filter(QStringLiteral("StatusUpdateEvent"));
    if (fault == QLatin1String("paper")) {
        QCOMPARE(events.size(), 2);
        QVERIFY2(events.at(0).contains(QLatin1String("StatusUpdateEvent: 24")), qPrintable(events.at(0)));
        QVERIFY2(events.at(1).contains(QLatin1String("StatusUpdateEvent: 26")), qPrintable(events.at(1)));
    } else if (fault == QLatin1String("cover")) {
        QCOMPARE(events.size(), 2);
        QVERIFY2(events.at(0).contains(QLatin1String("StatusUpdateEvent: 11")), qPrintable(events.at(0)));
        QVERIFY2(events.at(1).contains(QLatin1String("StatusUpdateEvent: 12")), qPrintable(events.at(1)));
    } else {
        QCOMPARE(events.size(), 0);
    }
    QTRY_VERIFY(!printer->isPrinting());
    // The report names the connection it printed over; the golden one was printed in-process.
    const QString printed = printedSince(printer, paperStart);
    const QString expected = goldenReport().replace(
        QLatin1String("virtual:Z901"), connection == QLatin1String("tcp")
                                           ? QStringLiteral("tcp://127.0.0.1:%1").arg(m_server->port())
                                           : QStringLiteral("virtual:Z901"));
    qsizetype at = 0;
    while (at < qMin(printed.size(), expected.size()) && printed.at(at) == expected.at(at))
        ++at;
    QVERIFY2(printed == expected,
             qPrintable(QStringLiteral("paper and report part at %1: \"%2\" against \"%3\"")
                            .arg(at)
                            .arg(printed.mid(at - 40, 100), expected.mid(at - 40, 100))));
}

void TestFaultsMidJob::clearDiscardsTheRestAndTheNextJobPrints_data() {
    addConnections();
    QTest::newRow("virtual") << "virtual";
    QTest::newRow("tcp") << "tcp";
}

// A handler that answers CLEAR: the queue and the printer's buffer go, no completion follows for
// what was dropped, and the next job prints once.
void TestFaultsMidJob::clearDiscardsTheRestAndTheNextJobPrints() {
    QFETCH(QString, connection);
    virt::VirtualPrinter* printer = useConnection(connection);
    device::PosPrinterControl p;
    QCOMPARE(p.Open(QStringLiteral("Z901")), OPOS_SUCCESS);
    QCOMPARE(p.Claim(1000), OPOS_SUCCESS);
    p.setDeviceEnabled(true);
    QCOMPARE(p.ResultCode(), OPOS_SUCCESS);
    p.setAsyncMode(true);
    QSignalSpy done(&p, &PosPrinter::OutputCompleteEvent);
    int errors = 0;
    connect(&p, &PosPrinter::ErrorEvent, this, [&](qint32, qint32, qint32, qint32* response) {
        ++errors;
        *response = OPOS_ER_CLEAR;
    });
    const qsizetype paperStart = paperLines(*printer).size();
    for (int i = 1; i <= 60; ++i)
        QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("Line %1\n").arg(i)), OPOS_SUCCESS);
    QTRY_VERIFY_WITH_TIMEOUT(paperLines(*printer).size() - paperStart >= 10, 10000);
    printer->setCoverOpen(true);
    QTRY_COMPARE(p.State(), OPOS_S_IDLE);
    QCOMPARE(errors, 1);
    const qsizetype completed = done.count();
    QVERIFY(completed < 60);
    printer->setCoverOpen(false);
    QTest::qWait(300);
    QVERIFY(!printer->isPrinting());
    QCOMPARE(done.count(), completed);
    // The paper holds the lines that completed, each once, and nothing after them.
    QStringList expected;
    for (int i = 1; i <= completed; ++i)
        expected << QStringLiteral("Line %1").arg(i);
    QStringList printed = paperLines(*printer).mid(paperStart);
    printed.removeAll(QString());
    QCOMPARE(printed.mid(0, completed), expected);
    QVERIFY2(printed.size() <= completed + 1, qPrintable(printed.join(u'|'))); // the line under way

    const qsizetype nextStart = paperLines(*printer).size();
    QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("Next job\n")), OPOS_SUCCESS);
    QTRY_COMPARE(done.count(), completed + 1);
    QTRY_VERIFY(!printer->isPrinting());
    QCOMPARE(printedSince(printer, nextStart), QStringLiteral("Next job"));
    QCOMPARE(errors, 1);
    p.Close();
}

void TestFaultsMidJob::powerEventsWhileIdle_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<bool>("notify");
    QTest::newRow("virtual, notify on") << "virtual" << true;
    QTest::newRow("tcp, notify on") << "tcp" << true;
    QTest::newRow("virtual, notify off") << "virtual" << false;
}

// With PowerNotify on before enabling, a printer switched off while idle is reported within two
// seconds and again when it is back; left off, nothing is reported.
void TestFaultsMidJob::powerEventsWhileIdle() {
    QFETCH(QString, connection);
    QFETCH(bool, notify);
    virt::VirtualPrinter* printer = useConnection(connection);
    device::PosPrinterControl p;
    QCOMPARE(p.Open(QStringLiteral("Z901")), OPOS_SUCCESS);
    QCOMPARE(p.Claim(1000), OPOS_SUCCESS);
    if (notify)
        p.setPowerNotify(OPOS_PN_ENABLED);
    p.setDeviceEnabled(true);
    QCOMPARE(p.ResultCode(), OPOS_SUCCESS);
    QSignalSpy status(&p, &PosPrinter::StatusUpdateEvent);
    printer->setOnline(false); // switched off: it answers nothing
    if (notify) {
        QTRY_COMPARE_WITH_TIMEOUT(status.count(), 1, 2500);
        QCOMPARE(status.at(0).at(0).toInt(), OPOS_SUE_POWER_OFF_OFFLINE);
    } else {
        QTest::qWait(2500);
    }
    printer->setOnline(true);
    if (notify) {
        QTRY_COMPARE_WITH_TIMEOUT(status.count(), 2, 2500);
        QCOMPARE(status.at(1).at(0).toInt(), OPOS_SUE_POWER_ONLINE);
    } else {
        QTest::qWait(1500);
        QCOMPARE(status.count(), 0);
    }
    p.Close();
}

QTEST_MAIN(TestFaultsMidJob)
#include "tst_faultsmidjob.moc"
