#include "device/control/posprintercontrol.h"
#include "device/installcontrols.h"
#include "device/transport/filetransport.h"
#include "device/transport/tcptransport.h"
#include "device/transport/transportfactory.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace device;

Q_DECLARE_METATYPE(device::Transport::OpenStatus)

namespace {

Transport::OpenStatus openAndWait(Transport& t) {
    QSignalSpy spy(&t, &Transport::openFinished);
    t.open();
    if (spy.isEmpty() && !spy.wait(2000))
        return Transport::OpenStatus::Failed;
    return spy.at(0).at(0).value<Transport::OpenStatus>();
}

} // namespace

class TestTransports : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        qRegisterMetaType<Transport::OpenStatus>();
        installDeviceControls();
    }

    void tcpAddress_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("host and port") << "192.168.1.50:9100" << true << "192.168.1.50" << 9100;
        QTest::newRow("default port") << "printer.local" << true << "printer.local" << 9100;
        QTest::newRow("trailing slash") << "printer:9101/" << true << "printer" << 9101;
        QTest::newRow("IPv6") << "[::1]:9102" << true << "::1" << 9102;
        QTest::newRow("bad port") << "printer:ninety" << false << "" << 0;
        QTest::newRow("port too big") << "printer:70000" << false << "" << 0;
        QTest::newRow("unclosed bracket") << "[::1" << false << "" << 0;
        QTest::newRow("no host") << ":9100" << false << "" << 0;
        QTest::newRow("letters for the port") << "127.0.0.1:abc" << false << "" << 0;
    }

    void tcpAddress() {
        QFETCH(QString, address);
        QFETCH(bool, valid);
        QFETCH(QString, host);
        QFETCH(int, port);
        QString gotHost;
        quint16 gotPort = 0;
        QCOMPARE(TcpTransport::parseAddress(address, &gotHost, &gotPort), valid);
        // Refused when the device is opened, not first when it is claimed.
        QString error;
        QCOMPARE(TransportFactory::create(QStringLiteral("tcp://") + address, {}, &error) != nullptr, valid);
        if (valid) {
            QCOMPARE(gotHost, host);
            QCOMPARE(int(gotPort), port);
        }
    }

    void tcpRoundTripAndLoss() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QString error;
        auto t = TransportFactory::create(QStringLiteral("tcp://127.0.0.1:%1").arg(server.serverPort()), {},
                                          &error);
        QVERIFY2(t, qPrintable(error));
        QCOMPARE(openAndWait(*t), Transport::OpenStatus::Opened);
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket* peer = server.nextPendingConnection();
        t->write(QByteArray::fromHex("100404"));
        QTRY_COMPARE(peer->bytesAvailable(), 3);
        QSignalSpy data(t.get(), &Transport::dataReceived);
        peer->write(QByteArray::fromHex("12"));
        QTRY_COMPARE(data.count(), 1);
        QSignalSpy lost(t.get(), &Transport::linkLost);
        peer->close();
        QTRY_COMPARE(lost.count(), 1);
        // Closing on purpose is no loss.
        QCOMPARE(openAndWait(*t), Transport::OpenStatus::Opened);
        lost.clear();
        t->close();
        QCoreApplication::processEvents();
        QCOMPARE(lost.count(), 0);
    }

    void tcpRefusedIsBusy() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const quint16 port = server.serverPort();
        server.close();
        TcpTransport t(QStringLiteral("127.0.0.1:%1").arg(port));
        QCOMPARE(openAndWait(t), Transport::OpenStatus::Busy);
    }

    void deviceFileRepliesAndLock() {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        const QString path = QString::fromLocal8Bit(ptsname(master));
        FileTransport t(path);
        QCOMPARE(openAndWait(t), Transport::OpenStatus::Opened);
        FileTransport second(path);
        QCOMPARE(openAndWait(second), Transport::OpenStatus::Busy);
        QSignalSpy data(&t, &Transport::dataReceived);
        QVERIFY(::write(master, "\x12", 1) == 1);
        QTRY_VERIFY(!data.isEmpty());
        QCOMPARE(data.at(0).at(0).toByteArray(), QByteArray("\x12"));
        t.close();
        QCOMPARE(openAndWait(second), Transport::OpenStatus::Opened);
        second.close();
        ::close(master);
    }

    void plainFileTakesTheBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.bin"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        FileTransport t(path);
        QCOMPARE(openAndWait(t), Transport::OpenStatus::Opened);
        t.write("abc\n");
        t.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("abc\n"));
        FileTransport missing(dir.filePath(QStringLiteral("absent")));
        QCOMPARE(openAndWait(missing), Transport::OpenStatus::Failed);
    }

    // /dev/full reads as endless zeros and refuses every write: the link is lost inside the
    // write itself. Neither may hang or crash a control; it answers with a result code.
    void endlessDeviceThatRefusesWrites() {
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("needs /dev/full");
        FileTransport raw(QStringLiteral("/dev/full"));
        QSignalSpy data(&raw, &Transport::dataReceived);
        QCOMPARE(openAndWait(raw), Transport::OpenStatus::Opened);
        QTRY_VERIFY(!data.isEmpty());
        QVERIFY(data.at(0).at(0).toByteArray().size() <= 64 * 1024);
        raw.close();

        QTemporaryDir dir;
        QFile ini(dir.filePath(QStringLiteral("devices.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[F]\nclass=POSPrinter\nconnection=file:/dev/full\ntimeout=100\nopen_timeout=100\n");
        ini.close();
        const QByteArray previous = qgetenv("POSLING_DEVICES");
        qputenv("POSLING_DEVICES", ini.fileName().toLocal8Bit());
        {
            PosPrinterControl p;
            QCOMPARE(p.Open(QStringLiteral("F")), opos::OPOS_SUCCESS);
            QCOMPARE(p.Claim(0), opos::OPOS_SUCCESS);
            p.setDeviceEnabled(true);
            QCOMPARE(p.ResultCode(), opos::OPOS_E_NOHARDWARE);
            QCOMPARE(p.Close(), opos::OPOS_SUCCESS);
        }
        qputenv("POSLING_DEVICES", previous);
    }

    void serialSettingsAreCheckedWhenTheLinkIsMade() {
        QString error;
        QVERIFY(!TransportFactory::create(QStringLiteral("serial:/dev/ttyS0?baud=fast"), {}, &error));
        QVERIFY(!TransportFactory::create(QStringLiteral("serial:/dev/ttyS0?flow=pigeon"), {}, &error));
        QVERIFY(TransportFactory::create(QStringLiteral("serial:/dev/ttyS0?baud=19200&flow=xonxoff"), {},
                                         &error));
        auto absent = TransportFactory::create(QStringLiteral("serial:/dev/no-such-tty"), {}, &error);
        QVERIFY(absent);
        QCOMPARE(openAndWait(*absent), Transport::OpenStatus::Failed);
    }
};

QTEST_GUILESS_MAIN(TestTransports)
#include "tst_transports.moc"
