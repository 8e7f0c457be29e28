#include "common/wirebytes.h"
#include "device/control/posprintercontrol.h"
#include "device/installcontrols.h"
#include "opos/oposconstants.h"
#include "printer/propertyreport.h"
#include "support/printerprocess.h"
#include "virtual/installvirtual.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace opos;

namespace {

// The registry names one printer Z901 at the given connection.
void useConnection(const QString& folder, const QString& connection) {
    const QString path = QDir(folder).filePath(QStringLiteral("devices.ini"));
    QFile ini(path);
    if (ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ini.write(QStringLiteral("[Z901]\nclass=POSPrinter\nconnection=%1\nprofile=80mm\ntimeout=1500\n"
                                 "open_timeout=1000\nretry_interval=50\n")
                      .arg(connection)
                      .toUtf8());
    qputenv("POSLING_DEVICES", QFile::encodeName(path));
}

using Job = std::function<void(device::PosPrinterControl&)>;

} // namespace

// The controls against posling-virtual-printer over tcp:// on loopback, as against a network printer.
class TestStandalonePrinter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void jobsArriveAsInProcess_data();
    void jobsArriveAsInProcess();
    void killedMidJobThenRestarted();
    void oneClientAtATime();
    void usageExitCodes_data();
    void usageExitCodes();

private:
    QByteArray runJob(const QString& connection, const Job& job, const std::function<QByteArray()>& wire);

    QTemporaryDir m_folder;
};

void TestStandalonePrinter::initTestCase() {
    QVERIFY(m_folder.isValid());
    qputenv("XDG_CONFIG_HOME", m_folder.path().toUtf8());
    // The in-process printer captures here; it reads this when it is made, on the first open.
    QDir(m_folder.path()).mkdir(QStringLiteral("inprocess"));
    qputenv("POSLING_CAPTURE_DIR", QFile::encodeName(m_folder.filePath(QStringLiteral("inprocess"))));
    installDeviceControls();
    installVirtualPrinter();
}

// What the printer received for one job, without the status requests around each request.
QByteArray TestStandalonePrinter::runJob(const QString& connection, const Job& job,
                                         const std::function<QByteArray()>& wire) {
    useConnection(m_folder.path(), connection);
    device::PosPrinterControl p;
    if (p.Open(QStringLiteral("Z901")) != OPOS_SUCCESS || p.Claim(1000) != OPOS_SUCCESS)
        return "(could not open " + connection.toUtf8() + ")";
    p.setDeviceEnabled(true);
    const qsizetype start = wire().size();
    job(p);
    const QByteArray received = withoutStatusRequests(wire().mid(start));
    p.Close();
    return received;
}

void TestStandalonePrinter::jobsArriveAsInProcess_data() {
    QTest::addColumn<Job>("job");
    QTest::newRow("property report") << Job([](device::PosPrinterControl& p) {
        PropertyReport::run(p, [&p](const QString& line) { p.PrintNormal(PTR_S_RECEIPT, line + "\r\n"); });
    });
    QTest::newRow("bar code") << Job([](device::PosPrinterControl& p) {
        QCOMPARE(p.PrintBarCode(PTR_S_RECEIPT, QStringLiteral("4006381333931"), PTR_BCS_EAN13, 120, 400,
                                PTR_BC_CENTER, PTR_BC_TEXT_BELOW),
                 OPOS_SUCCESS);
    });
    QTest::newRow("bitmap") << Job([](device::PosPrinterControl& p) {
        const QString bitmap = QCoreApplication::applicationDirPath() + QStringLiteral("/test.bmp");
        QCOMPARE(p.PrintBitmap(PTR_S_RECEIPT, bitmap, PTR_BM_ASIS, PTR_BM_CENTER), OPOS_SUCCESS);
    });
}

// The same job reaches the printer byte for byte the same over TCP as in-process (the report names
// the connection it printed over; that line is set aside).
void TestStandalonePrinter::jobsArriveAsInProcess() {
    QFETCH(Job, job);
    const QString inProcessWire = m_folder.filePath(QStringLiteral("inprocess/wire.bin"));
    const QByteArray local =
        runJob(QStringLiteral("virtual:Z901"), job, [&] { return readFile(inProcessWire); });
    PrinterProcess server(m_folder.filePath(QStringLiteral("server-%1").arg(QTest::currentDataTag())));
    QVERIFY(server.start());
    const QString tcp = QStringLiteral("tcp://127.0.0.1:%1").arg(server.port());
    QByteArray remote = runJob(tcp, job, [&] { return server.wire(); });
    remote.replace(tcp.toUtf8(), "virtual:Z901");
    QVERIFY(local.size() > 10);
    QCOMPARE(remote.toHex(), local.toHex());
}

// Killed in the middle of a job, the printer is missed within the time-out, without a hang; once
// it is back on the same port the next call prints, and nothing of the lost job comes twice.
void TestStandalonePrinter::killedMidJobThenRestarted() {
    const QString capture = m_folder.filePath(QStringLiteral("killed"));
    PrinterProcess server(capture);
    QVERIFY(server.start(0, {QStringLiteral("--real-speed")}));
    const quint16 port = server.port();
    useConnection(m_folder.path(), QStringLiteral("tcp://127.0.0.1:%1").arg(port));
    device::PosPrinterControl p;
    QCOMPARE(p.Open(QStringLiteral("Z901")), OPOS_SUCCESS);
    QCOMPARE(p.Claim(1000), OPOS_SUCCESS);
    p.setDeviceEnabled(true);
    QString job;
    for (int i = 0; i < 60; ++i)
        job += QStringLiteral("lost job line %1\n").arg(i);
    QTimer::singleShot(300, [&server] { server.kill(); });
    QElapsedTimer took;
    took.start();
    const qint32 failed = p.PrintNormal(PTR_S_RECEIPT, job);
    QVERIFY2(failed == OPOS_E_NOHARDWARE || failed == OPOS_E_OFFLINE, qPrintable(QString::number(failed)));
    QVERIFY2(took.elapsed() < 300 + 1500 + 1000, qPrintable(QString::number(took.elapsed())));

    QDir(capture).removeRecursively();
    QVERIFY(server.start(port));
    QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("after restart\n")), OPOS_SUCCESS);
    const QByteArray received = server.wire();
    QCOMPARE(received.count("after restart"), 1);
    QVERIFY(!received.contains("lost job"));
    p.Close();
}

// Like a printer's raw port: a second client waits until the first has closed.
void TestStandalonePrinter::oneClientAtATime() {
    PrinterProcess server(m_folder.filePath(QStringLiteral("clients")));
    QVERIFY(server.start());
    QTcpSocket first, second;
    first.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(first.waitForConnected(2000));
    first.write(QByteArray::fromHex("100401"));
    QVERIFY(first.waitForReadyRead(2000));
    second.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(second.waitForConnected(2000)); // the backlog takes it
    second.write(QByteArray::fromHex("100401"));
    QVERIFY(!second.waitForReadyRead(500));
    first.disconnectFromHost();
    QVERIFY(second.waitForReadyRead(2000));
    QCOMPARE(second.readAll().toHex(), QByteArray("12"));
}

void TestStandalonePrinter::usageExitCodes_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said"); // the start of what it writes
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "posling-virtual-printer 1.";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2
                                    << "posling-virtual-printer: Unknown option";
    QTest::newRow("an argument") << QStringList{"extra"} << 2 << "posling-virtual-printer: no arguments";
    QTest::newRow("bad port") << QStringList{"--port", "70000"} << 2 << "invalid --port";
}

void TestStandalonePrinter::usageExitCodes() {
    QFETCH(QStringList, arguments);
    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(POSLING_VIRTUAL_PRINTER), arguments << QStringLiteral("--headless"));
    QVERIFY(program.waitForFinished(10000));
    QTEST(program.exitCode(), "code");
    QFETCH(QString, said);
    const QString out = QString::fromLocal8Bit(program.readAll());
    QVERIFY2(out.split(u'\n').filter(QRegularExpression(u'^' + QRegularExpression::escape(said))).size() == 1,
             qPrintable(out));
}

QTEST_MAIN(TestStandalonePrinter)
#include "tst_standaloneprinter.moc"
