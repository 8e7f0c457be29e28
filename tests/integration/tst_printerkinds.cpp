#include "common/paperlines.h"
#include "common/reportpaper.h"
#include "device/control/cashdrawercontrol.h"
#include "device/control/posprintercontrol.h"
#include "device/installcontrols.h"
#include "opos/oposconstants.h"
#include "printer/propertyreport.h"
#include "virtual/installvirtual.h"
#include "virtual/replypersonality.h"
#include "virtual/tcpprinterserver.h"
#include "virtual/virtualprinterhub.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace opos;

namespace {

// What the printer got of DLE DC4 fn 8, whether it knew the command or not.
bool bufferClearReceived(virt::VirtualPrinter& printer) {
    const QList<virt::WireLog::Entry>& entries = printer.wireLog()->entries();
    return std::any_of(entries.cbegin(), entries.cend(), [](const virt::WireLog::Entry& e) {
        return e.direction == virt::WireLog::Direction::Received && e.bytes.contains("\x10\x14\x08");
    });
}

} // namespace

// The controls against each kind of printer in the field, as the virtual printer plays them: one
// that answers everything, older firmware without process IDs, a low-cost printer that answers
// real-time status only, and a print server that answers nothing. Each prints what it is given
// once, gets no fault it does not have, and is never asked to clear a buffer it cannot.
class TestPrinterKinds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void eachKindPrintsEverythingOnce_data();
    void eachKindPrintsEverythingOnce();
    void realTimeOnlyPrinterKeepsItsJobThroughTheCover_data();
    void realTimeOnlyPrinterKeepsItsJobThroughTheCover();
    void idleCloseIsNoFault();

private:
    // Z901 on the kind's printer, in process or through a TCP port as the standalone printer serves it.
    virt::VirtualPrinter* usePrinter(const QString& kind, bool tcp);

    QTemporaryDir m_folder;
    std::unique_ptr<virt::TcpPrinterServer> m_server;
};

void TestPrinterKinds::initTestCase() {
    QVERIFY(m_folder.isValid());
    qputenv("XDG_DATA_HOME", m_folder.filePath(QStringLiteral("data")).toUtf8());
    installDeviceControls();
    installVirtualPrinter();
    m_server = std::make_unique<virt::TcpPrinterServer>(virt::VirtualPrinterHub::instance()->printer("TCP"));
    QString error;
    QVERIFY2(m_server->listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
}

virt::VirtualPrinter* TestPrinterKinds::usePrinter(const QString& kind, bool tcp) {
    const QString file = m_folder.filePath(QStringLiteral("devices.ini"));
    QFile ini(file);
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return nullptr;
    const QString connection = tcp ? QStringLiteral("tcp://127.0.0.1:%1").arg(m_server->port())
                                   : QStringLiteral("virtual:%1\nanswers=%1").arg(kind);
    ini.write(QStringLiteral("[Z901]\nclass=POSPrinter\nconnection=%1\ntimeout=500\n\n"
                             "[Z901-1]\nclass=CashDrawer\nprinter=Z901\n")
                  .arg(connection)
                  .toUtf8());
    ini.close();
    qputenv("POSLING_DEVICES", QFile::encodeName(file));
    virt::VirtualPrinter* printer =
        virt::VirtualPrinterHub::instance()->printer(tcp ? QStringLiteral("TCP") : kind);
    printer->setPersonality(*virt::ReplyPersonality::byId(kind));
    printer->setDotLinesPerSecond(0);
    printer->wireLog()->clear();
    return printer;
}

void TestPrinterKinds::eachKindPrintsEverythingOnce_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QString>("advice"); // in the Enable line's hover; empty: nothing to say
    QTest::addColumn<bool>("sensors");
    const QList<std::tuple<const char*, const char*, bool>> kinds{
        {"all", "", true},
        {"gsr", "in order but no process IDs", true},
        {"realtime", "real-time status only", true},
        {"none", "answers nothing", false},
    };
    for (const auto& [kind, advice, sensors] : kinds) {
        QTest::addRow("%s, in process", kind) << kind << false << advice << sensors;
        QTest::addRow("%s, over TCP", kind) << kind << true << advice << sensors;
    }
}

// The property report (with its two test receipts), a bar code, a bitmap, a cut and a drawer kick.
void TestPrinterKinds::eachKindPrintsEverythingOnce() {
    QFETCH(QString, kind);
    QFETCH(bool, tcp);
    QFETCH(QString, advice);
    QFETCH(bool, sensors);
    virt::VirtualPrinter* printer = usePrinter(kind, tcp);
    QVERIFY(printer);
    const qsizetype paperBefore = paperLines(*printer).size();
    device::PosPrinterControl p;
    QCOMPARE(p.Open(QStringLiteral("Z901")), OPOS_SUCCESS);
    QCOMPARE(p.ClaimDevice(1000), OPOS_SUCCESS);
    p.setDeviceEnabled(true);
    QCOMPARE(p.ResultCode(), OPOS_SUCCESS);
    QVERIFY2(advice.isEmpty() ? p.ResultReason().isEmpty() : p.ResultReason().contains(advice),
             qPrintable(p.ResultReason()));
    QCOMPARE(p.CapCoverSensor(), sensors);
    QCOMPARE(p.CapRecEmptySensor(), sensors);

    QStringList sent;
    QList<qint32> results;
    const qsizetype slipsBefore = printer->paper()->receipts().size();
    PropertyReport::run(p, [&](const QString& line) {
        sent << line;
        results << p.PrintNormal(PTR_S_RECEIPT, line + QStringLiteral("\r\n"));
    });
    QCOMPARE(results.count(OPOS_SUCCESS), results.size());
    QTRY_COMPARE(reportText(paperLines(*printer).mid(paperBefore)), reportText(sent));
    // One slip, with the health check's test receipt in it once: the interactive check asks before
    // it prints the receipt again, and nobody here says yes.
    QCOMPARE(printer->paper()->receipts().size(), slipsBefore);
    QCOMPARE(paperLines(*printer).mid(paperBefore).count(QStringLiteral("Posling health check")), 1);

    QCOMPARE(p.PrintBarCode(PTR_S_RECEIPT, QStringLiteral("123456"), PTR_BCS_Code128, 80, 300, PTR_BC_CENTER,
                            PTR_BC_TEXT_BELOW),
             OPOS_SUCCESS);
    QCOMPARE(p.PrintBitmap(PTR_S_RECEIPT,
                           QCoreApplication::applicationDirPath() + QStringLiteral("/test.bmp"), PTR_BM_ASIS,
                           PTR_BM_CENTER),
             OPOS_SUCCESS);
    const qsizetype receipts = printer->paper()->receipts().size();
    QCOMPARE(p.CutPaper(100), OPOS_SUCCESS);
    QTRY_COMPARE(printer->paper()->receipts().size(), receipts + 1);

    device::CashDrawerControl d;
    QCOMPARE(d.Open(QStringLiteral("Z901-1")), OPOS_SUCCESS);
    d.setDeviceEnabled(true);
    QCOMPARE(d.ResultCode(), OPOS_SUCCESS);
    QCOMPARE(d.CapStatus(), sensors);
    QCOMPARE(d.OpenDrawer(), OPOS_SUCCESS);
    QTRY_VERIFY(printer->drawer()->isOpen());
    QTRY_COMPARE(d.DrawerOpened(), sensors); // no switch to read on a printer that answers nothing
    if (!sensors)
        QCOMPARE(d.WaitForDrawerClose(0, 0, 0, 0), OPOS_SUCCESS); // at once: nothing to wait for
    QVERIFY(!bufferClearReceived(*printer));
    QCOMPARE(d.Close(), OPOS_SUCCESS);
    QCOMPARE(p.Close(), OPOS_SUCCESS);
}

void TestPrinterKinds::realTimeOnlyPrinterKeepsItsJobThroughTheCover_data() {
    QTest::addColumn<qint32>("response");
    QTest::newRow("retry") << qint32(OPOS_ER_RETRY);
    QTest::newRow("clear") << qint32(OPOS_ER_CLEAR);
}

// A printer that answers real-time status only stops with its job when the cover opens; with its
// receive buffer full the job's last request waits: one ErrorEvent, and once the cover is closed the
// rest prints, nothing twice. It cannot be asked to clear what it holds, so a CLEAR drops what the
// control still queues but not what the printer has.
void TestPrinterKinds::realTimeOnlyPrinterKeepsItsJobThroughTheCover() {
    QFETCH(qint32, response);
    virt::VirtualPrinter* printer = usePrinter(QStringLiteral("realtime"), false);
    QVERIFY(printer);
    printer->setDotLinesPerSecond(virt::VirtualPrinter::kRealisticDotLinesPerSecond);
    const qsizetype paperBefore = paperLines(*printer).size();
    device::PosPrinterControl p;
    QCOMPARE(p.Open(QStringLiteral("Z901")), OPOS_SUCCESS);
    QCOMPARE(p.ClaimDevice(1000), OPOS_SUCCESS);
    p.setDeviceEnabled(true);
    p.setAsyncMode(true);
    int errors = 0;
    qint32 extended = 0;
    connect(&p, &PosPrinter::ErrorEvent, &p, [&](qint32, qint32 resultCodeExtended, qint32, qint32* answer) {
        ++errors;
        extended = resultCodeExtended;
        *answer = response;
    });
    constexpr int kLines = 600; // more than the printer's receive buffer holds
    for (int i = 0; i < kLines; ++i)
        QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("Kept line %1 of a long job\n").arg(i)),
                 OPOS_SUCCESS);
    QTRY_VERIFY(paperLines(*printer).size() - paperBefore >= 5);
    printer->setCoverOpen(true);
    QTRY_COMPARE_WITH_TIMEOUT(errors, 1, 5000);
    QCOMPARE(extended, OPOS_EPTR_COVER_OPEN); // what it says when asked, not "off line"
    QTest::qWait(200);
    QCOMPARE(errors, 1);
    printer->setCoverOpen(false);
    printer->setDotLinesPerSecond(0);
    QTRY_COMPARE_WITH_TIMEOUT(p.State(), OPOS_S_IDLE, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(printer->bufferedBytes() == 0 && printer->lineInHead().isEmpty(), 10000);
    const QStringList printed = paperLines(*printer).mid(paperBefore);
    for (int i = 0; i < kLines; ++i)
        QVERIFY2(printed.count(QStringLiteral("Kept line %1 of a long job").arg(i)) <= 1,
                 qPrintable(QString::number(i)));
    if (response == OPOS_ER_RETRY)
        QCOMPARE(printed.filter(QStringLiteral("Kept line")).size(), kLines);
    QVERIFY(!bufferClearReceived(*printer));
}

// A network printer closes a connection that has been idle for a while. The control opens it again
// at once: no power event says the printer went away, and the next line prints.
void TestPrinterKinds::idleCloseIsNoFault() {
    virt::VirtualPrinter* printer = usePrinter(QStringLiteral("all"), true);
    QVERIFY(printer);
    m_server->setIdleTimeout(150);
    device::PosPrinterControl p;
    QCOMPARE(p.Open(QStringLiteral("Z901")), OPOS_SUCCESS);
    QCOMPARE(p.ClaimDevice(1000), OPOS_SUCCESS);
    p.setPowerNotify(OPOS_PN_ENABLED);
    QSignalSpy events(&p, &PosPrinter::StatusUpdateEvent);
    QSignalSpy connections(m_server.get(), &virt::TcpPrinterServer::connectionsChanged);
    p.setDeviceEnabled(true);
    QCOMPARE(p.ResultCode(), OPOS_SUCCESS);
    const auto closedAndOpened = [&] {
        QList<int> counts;
        for (const QList<QVariant>& change : connections)
            counts << change.first().toInt();
        return counts.contains(0) && counts.last() == 1;
    };
    QTRY_VERIFY(closedAndOpened());
    m_server->setIdleTimeout(virt::TcpPrinterServer::kDefaultIdleTimeoutMs);
    const qsizetype paperBefore = paperLines(*printer).size();
    QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("After the idle close\n")), OPOS_SUCCESS);
    QTRY_COMPARE(paperLines(*printer).mid(paperBefore), QStringList{QStringLiteral("After the idle close")});
    QCOMPARE(events.size(), 0);
    QCOMPARE(p.Close(), OPOS_SUCCESS);
}

QTEST_MAIN(TestPrinterKinds)
#include "tst_printerkinds.moc"
