#include "common/paperlines.h"
#include "device/control/posprintercontrol.h"
#include "device/installcontrols.h"
#include "device/transport/filetransport.h"
#include "device/transport/serialtransport.h"
#include "opos/oposconstants.h"
#include "support/ptyprinter.h"
#include "virtual/replypersonality.h"
#include "virtual/virtualprinter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace opos;

namespace {

constexpr int kReplyTimeoutMs = 800;

qsizetype timesPrinted(virt::VirtualPrinter& printer, const QString& text) {
    return paperLines(printer).filter(text).size();
}

QString lines(int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("Line %1 of a job that takes a while\n").arg(i);
    return text;
}

} // namespace

// The serial and device-file links end to end: the control reaches a virtual printer through a
// pseudo-terminal, which can hang up, vanish and come back, be held by another program, or stop
// taking data.
class TestPtyLinks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void printsOverTheLine_data();
    void printsOverTheLine();
    void unpluggedMidJobThenBackUnderItsName_data() { addLinks(); }
    void unpluggedMidJobThenBackUnderItsName();
    void deviceHeldByAnotherProgramTimesOutTheClaim_data() { addLinks(); }
    void deviceHeldByAnotherProgramTimesOutTheClaim();
    void printerThatStopsTakingDataFailsTheCall_data() { addLinks(); }
    void printerThatStopsTakingDataFailsTheCall();
    void stalledOutputIsBounded_data();
    void stalledOutputIsBounded();
    void printerThatAnswersNothing_data();
    void printerThatAnswersNothing();

private:
    static void addLinks();
    // Names the pty in the registry under the connection of the row (%1 is the device).
    void useConnection(const QString& connection, const QString& extraKeys = {});
    // Open, Claim and enable; the first failing result, or success.
    qint32 bringUp(const QString& connection);

    QTemporaryDir m_folder;
    std::unique_ptr<virt::VirtualPrinter> m_printer;
    std::unique_ptr<PtyPrinter> m_pty;
    std::unique_ptr<device::PosPrinterControl> m_control;
};

void TestPtyLinks::initTestCase() {
    QVERIFY(m_folder.isValid());
    qputenv("XDG_CONFIG_HOME", m_folder.path().toUtf8());
    qunsetenv("POSLING_CAPTURE_DIR");
    installDeviceControls();
}

void TestPtyLinks::init() {
    m_printer =
        std::make_unique<virt::VirtualPrinter>(QStringLiteral("PTY"), virt::VirtualProfile::defaultProfile());
    m_pty = std::make_unique<PtyPrinter>(m_printer.get());
    QVERIFY(m_pty->isPlugged());
    m_control = std::make_unique<device::PosPrinterControl>();
}

void TestPtyLinks::cleanup() {
    m_control.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the link closes its device
    m_pty.reset();
    m_printer.reset();
}

void TestPtyLinks::addLinks() {
    QTest::addColumn<QString>("connection");
    QTest::newRow("serial") << QStringLiteral("serial:%1?baud=19200&flow=rtscts");
    QTest::newRow("file") << QStringLiteral("file:%1");
}

void TestPtyLinks::useConnection(const QString& connection, const QString& extraKeys) {
    const QString path = m_folder.filePath(QStringLiteral("devices.ini"));
    QFile ini(path);
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QStringLiteral("[PTY]\nclass=POSPrinter\nconnection=%1\nprofile=80mm\ntimeout=%2\n"
                             "open_timeout=500\nretry_interval=50\n%3")
                  .arg(connection.arg(m_pty->linkPath()))
                  .arg(kReplyTimeoutMs)
                  .arg(extraKeys)
                  .toUtf8());
    qputenv("POSLING_DEVICES", QFile::encodeName(path));
}

qint32 TestPtyLinks::bringUp(const QString& connection) {
    useConnection(connection);
    if (const qint32 code = m_control->Open(QStringLiteral("PTY")); code != OPOS_SUCCESS)
        return code;
    if (const qint32 code = m_control->Claim(1000); code != OPOS_SUCCESS)
        return code;
    m_control->setDeviceEnabled(true); // asks for real-time status: the replies come over the line
    return m_control->ResultCode();
}

void TestPtyLinks::printsOverTheLine_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<int>("speed"); // what the line is set to; 0: left as it was
    QTest::addColumn<bool>("hardwareFlow");
    QTest::newRow("serial, 19200, RTS/CTS")
        << QStringLiteral("serial:%1?baud=19200&flow=rtscts") << int(B19200) << true;
    QTest::newRow("serial, 9600, no flow control")
        << QStringLiteral("serial:%1?baud=9600&flow=none") << int(B9600) << false;
    QTest::newRow("file") << QStringLiteral("file:%1") << 0 << false;
}

void TestPtyLinks::printsOverTheLine() {
    QFETCH(QString, connection);
    QFETCH(int, speed);
    QFETCH(bool, hardwareFlow);
    QCOMPARE(bringUp(connection), OPOS_SUCCESS);
    QCOMPARE(m_control->PrintNormal(PTR_S_RECEIPT, QStringLiteral("Over the line\n")), OPOS_SUCCESS);
    QTRY_COMPARE(timesPrinted(*m_printer, QStringLiteral("Over the line")), 1);
    const termios line = m_pty->lineSettings();
    if (speed != 0)
        QCOMPARE(int(::cfgetospeed(&line)), speed);
    QCOMPARE(bool(line.c_cflag & CRTSCTS), hardwareFlow);
}

// The adapter is pulled out while the printer prints: the call ends at once, not after the reply
// time-out. Plugged in again under the same name, the next call reopens the line and prints.
void TestPtyLinks::unpluggedMidJobThenBackUnderItsName() {
    QFETCH(QString, connection);
    QCOMPARE(bringUp(connection), OPOS_SUCCESS);
    m_printer->setDotLinesPerSecond(300); // six lines: 600 ms
    QTimer::singleShot(100, m_pty.get(), &PtyPrinter::hangUp);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(m_control->PrintNormal(PTR_S_RECEIPT, lines(6)), OPOS_E_NOHARDWARE);
    QVERIFY2(clock.elapsed() < kReplyTimeoutMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_control->PrintNormal(PTR_S_RECEIPT, QStringLiteral("Into the void\n")), OPOS_E_NOHARDWARE);

    m_printer->setDotLinesPerSecond(0);
    QVERIFY(m_pty->reopen());
    QCOMPARE(m_control->PrintNormal(PTR_S_RECEIPT, QStringLiteral("Back again\n")), OPOS_SUCCESS);
    QTRY_COMPARE(timesPrinted(*m_printer, QStringLiteral("Back again")), 1);
    QCOMPARE(timesPrinted(*m_printer, QStringLiteral("Into the void")), 0);
}

// flock(1) in a child process holds the device as another program would.
void TestPtyLinks::deviceHeldByAnotherProgramTimesOutTheClaim() {
    QFETCH(QString, connection);
    const QString flock = QStandardPaths::findExecutable(QStringLiteral("flock"));
    if (flock.isEmpty())
        QSKIP("needs flock(1)");
    useConnection(connection);
    QCOMPARE(m_control->Open(QStringLiteral("PTY")), OPOS_SUCCESS);
    QProcess holder;
    holder.start(flock, {QStringLiteral("-x"), QStringLiteral("-n"), QStringLiteral("-F"), m_pty->linkPath(),
                         QStringLiteral("-c"), QStringLiteral("echo held; exec sleep 30")});
    QVERIFY(holder.waitForReadyRead(5000));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(m_control->Claim(300), OPOS_E_TIMEOUT);
    QVERIFY2(clock.elapsed() >= 300 && clock.elapsed() < 800, qPrintable(QString::number(clock.elapsed())));
    holder.kill();
    QVERIFY(holder.waitForFinished(5000));
    QCOMPARE(m_control->Claim(300), OPOS_SUCCESS);
}

// The printer takes the start of a job and then nothing (its buffer stays full): once it has taken
// nothing for the reply time-out the link is given up and the synchronous call fails; once the
// printer is switched off and on, the next one prints.
void TestPtyLinks::printerThatStopsTakingDataFailsTheCall() {
    QFETCH(QString, connection);
    QCOMPARE(bringUp(connection), OPOS_SUCCESS);
    m_pty->stopReadingAfter(4096);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(m_control->PrintNormal(PTR_S_RECEIPT, lines(1500)), OPOS_E_NOHARDWARE);
    QVERIFY2(clock.elapsed() < kReplyTimeoutMs + 500, qPrintable(QString::number(clock.elapsed())));
    m_pty->resumeReading();
    QCOMPARE(m_control->PrintNormal(PTR_S_RECEIPT, QStringLiteral("Taking data again\n")), OPOS_SUCCESS);
    QTRY_COMPARE(timesPrinted(*m_printer, QStringLiteral("Taking data again")), 1);
}

void TestPtyLinks::stalledOutputIsBounded_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("tookSomeAtMs"); // the device takes 4 KB once, then nothing; -1: never
    QTest::addColumn<int>("lostAtMs");
    constexpr int kMoreThanMayWait = int(2 * device::WriteStallWatch::kMaxWaitingBytes);
    for (const char* kind : {"serial", "file"}) {
        QTest::addRow("%s, takes nothing", kind) << kind << 64 * 1024 << -1 << 300;
        QTest::addRow("%s, takes a little, then nothing", kind) << kind << 64 * 1024 << 200 << 500;
        QTest::addRow("%s, more than may wait", kind) << kind << kMoreThanMayWait << -1 << 0;
    }
}

// A device that takes none of the waiting bytes for the reply time-out, or leaves too many
// waiting, is lost; one that takes some now and then is given the time-out afresh.
void TestPtyLinks::stalledOutputIsBounded() {
    QFETCH(QString, kind);
    QFETCH(int, bytes);
    QFETCH(int, tookSomeAtMs);
    QFETCH(int, lostAtMs);
    const QMap<QString, QString> options{{QStringLiteral("timeout"), QStringLiteral("300")}};
    std::unique_ptr<device::Transport> link;
    if (kind == QLatin1String("serial"))
        link = std::make_unique<device::SerialTransport>(m_pty->linkPath(), options);
    else
        link = std::make_unique<device::FileTransport>(m_pty->linkPath(), options);
    m_pty->stopReadingAfter(0);
    link->open();
    QVERIFY(link->isOpen());

    QSignalSpy lost(link.get(), &device::Transport::linkLost);
    if (tookSomeAtMs >= 0)
        QTimer::singleShot(tookSomeAtMs, m_pty.get(), [this] { m_pty->stopReadingAfter(4096); });
    QElapsedTimer clock;
    clock.start();
    link->write(QByteArray(bytes, 'x'));
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 3000);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= lostAtMs - 20 && elapsed < lostAtMs + 400, qPrintable(QString::number(elapsed)));
    QVERIFY2(lost.at(0).at(0).toString().contains(QLatin1String("accepts no more data")),
             qPrintable(lost.at(0).at(0).toString()));
    QVERIFY(!link->isOpen());
}

void TestPtyLinks::printerThatAnswersNothing_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("code");
    // A serial line takes bytes with nothing on it: silence there is no printer, unless its entry says so.
    QTest::newRow("serial") << QStringLiteral("serial:%1?baud=19200") << QString() << OPOS_E_NOHARDWARE;
    QTest::newRow("serial, status=none")
        << QStringLiteral("serial:%1?baud=19200") << QStringLiteral("status=none\n") << OPOS_SUCCESS;
    QTest::newRow("device file") << QStringLiteral("file:%1") << QString() << OPOS_SUCCESS;
}

// A printer behind a one-way link answers nothing; where Posling may print to it, it does, blind.
void TestPtyLinks::printerThatAnswersNothing() {
    QFETCH(QString, connection);
    QFETCH(QString, keys);
    QFETCH(int, code);
    m_printer->setPersonality(*virt::ReplyPersonality::byId(QStringLiteral("none")));
    useConnection(connection, keys);
    QCOMPARE(m_control->Open(QStringLiteral("PTY")), OPOS_SUCCESS);
    QCOMPARE(m_control->Claim(1000), OPOS_SUCCESS);
    m_control->setDeviceEnabled(true);
    QCOMPARE(m_control->ResultCode(), code);
    if (code != OPOS_SUCCESS) {
        QVERIFY2(m_control->ResultReason().contains(QLatin1String("status=none")),
                 qPrintable(m_control->ResultReason()));
        return;
    }
    QCOMPARE(m_control->PrintNormal(PTR_S_RECEIPT, QStringLiteral("Printed blind\n")), OPOS_SUCCESS);
    QTRY_COMPARE(timesPrinted(*m_printer, QStringLiteral("Printed blind")), 1);
}

QTEST_MAIN(TestPtyLinks)
#include "tst_ptylinks.moc"
