#include "support/printerharness.h"

#include "virtual/tcpprinterserver.h"

#include <QTcpSocket>

#include <QtTest>
#include <algorithm>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace virt;

class TestTcpServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printsAndAnswersOverTcp();
    void answersAfterTheClientHalfCloses();
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

// A client that sends its requests and then shuts down its sending side still gets every reply;
// the printer closes once all is answered.
void TestTcpServer::answersAfterTheClientHalfCloses() {
    VirtualPrinter printer(QStringLiteral("tcp"), VirtualProfile::defaultProfile());
    TcpPrinterServer server(&printer);
    QString error;
    QVERIFY2(server.listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(server.port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const QByteArray request = QByteArray("A\n") + QByteArray::fromHex("1d7231 100401");
    QCOMPARE(::send(fd, request.constData(), size_t(request.size()), 0), ssize_t(request.size()));
    QCOMPARE(::shutdown(fd, SHUT_WR), 0);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    QByteArray replies;
    bool ended = false;
    QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                 char chunk[64];
                                 const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
                                 if (n > 0)
                                     replies += QByteArray(chunk, qsizetype(n));
                                 ended = ended || n == 0;
                                 return ended;
                             }()),
                             5000);
    ::close(fd);
    QByteArray sorted = replies;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(sorted.toHex(), QByteArray("0012"));
    QCOMPARE(printer.paper()->currentLines().value(0).text, QStringLiteral("A"));
    QTRY_COMPARE(server.connectionCount(), 0);
}

QTEST_MAIN(TestTcpServer)
#include "tst_tcpserver.moc"
