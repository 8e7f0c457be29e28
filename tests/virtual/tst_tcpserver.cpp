#include "support/printerharness.h"

#include "virtual/tcpprinterserver.h"

#include <QTcpSocket>
#include <QtTest>

using namespace virt;

class TestTcpServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printsAndAnswersOverTcp();
};

void TestTcpServer::printsAndAnswersOverTcp() {
    VirtualPrinter printer(QStringLiteral("tcp"), *VirtualProfile::byId(QStringLiteral("58mm")));
    TcpPrinterServer server(&printer);
    QString error;
    QVERIFY2(server.listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(socket.waitForConnected(5000));
    // Split inside a command: the stream is one conversation.
    socket.write(QByteArray("NET\n") + QByteArray::fromHex("1d56"));
    QVERIFY(socket.waitForBytesWritten(5000));
    QTest::qWait(50);
    socket.write(QByteArray::fromHex("4200100404"));
    QTRY_VERIFY_WITH_TIMEOUT(socket.bytesAvailable() > 0 || socket.waitForReadyRead(100), 5000);
    QCOMPARE(socket.readAll().toHex(), QByteArray("12"));
    QCOMPARE(printer.paper()->receiptsCut(), 1);
    QCOMPARE(printer.paper()->receipts().first().lines.value(0).text, QStringLiteral("NET"));
    QCOMPARE(printer.paper()->receipts().first().image.width(), 384);
    socket.disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 0, 5000);
}

QTEST_MAIN(TestTcpServer)
#include "tst_tcpserver.moc"
