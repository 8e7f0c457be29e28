#include "support/printerharness.h"

#include "virtual/tcpprinterserver.h"

#include <QFile>
#include <QTcpSocket>

#include <memory>
#include <vector>

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
    void staysBoundedUnderAbuse();
    void dripperKeepsThePrinterResponsive();
    void nextClientWaitsUntilTheFirstCloses();
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

namespace {
qint64 residentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}
} // namespace

// Abuse on loopback: a hundred clients at once with random bytes, and one that asks for its name
// ten thousand times without reading the answers. The printer keeps its memory and serves the next
// client within a second once they are gone.
void TestTcpServer::staysBoundedUnderAbuse() {
    VirtualPrinter printer(QStringLiteral("tcp"), VirtualProfile::defaultProfile());
    TcpPrinterServer server(&printer);
    QString error;
    QVERIFY2(server.listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    const qint64 before = residentKilobytes();
    QByteArray noise(4096, '\0');
    quint32 seed = 99;
    for (char& c : noise)
        c = char((seed = seed * 1664525u + 1013904223u) >> 24);
    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    for (int i = 0; i < 100; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, server.port());
        crowd.push_back(std::move(socket));
    }
    // The printer accepts from this same event loop, so the crowd connects while it runs.
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(crowd.cbegin(), crowd.cend(),
                    [](const auto& s) { return s->state() == QAbstractSocket::ConnectedState; }),
        5000);
    for (auto& socket : crowd) {
        socket->write(noise);
        socket->disconnectFromHost();
    }
    QTcpSocket greedy; // asks and never reads
    greedy.connectToHost(QHostAddress::LocalHost, server.port());
    QTRY_COMPARE_WITH_TIMEOUT(greedy.state(), QAbstractSocket::ConnectedState, 5000);
    QByteArray requests;
    for (int i = 0; i < 10000; ++i)
        requests += QByteArray::fromHex("1d4942");
    greedy.write(requests);
    greedy.disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(server.connectionCount(), 0, 30000);
    crowd.clear();

    QTcpSocket next;
    next.connectToHost(QHostAddress::LocalHost, server.port());
    QTRY_COMPARE_WITH_TIMEOUT(next.state(), QAbstractSocket::ConnectedState, 1000);
    next.write(QByteArray::fromHex("100401"));
    QTRY_VERIFY_WITH_TIMEOUT(next.bytesAvailable() > 0 || next.waitForReadyRead(50), 1000);
#ifndef __SANITIZE_ADDRESS__ // under AddressSanitizer its quarantine and shadow memory count too
    QVERIFY2(residentKilobytes() - before < 200 * 1024,
             qPrintable(QStringLiteral("%1 KB more").arg(residentKilobytes() - before)));
#endif
}

// A client that sends one byte a second, stopping inside a command: the printer's loop keeps
// running on time meanwhile (its panel lives there), a client that arrives waits its turn, and it
// is answered within a second of the dripper leaving, unharmed by the half command.
void TestTcpServer::dripperKeepsThePrinterResponsive() {
    VirtualPrinter printer(QStringLiteral("tcp"), VirtualProfile::defaultProfile());
    TcpPrinterServer server(&printer);
    QString error;
    QVERIFY2(server.listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    QTcpSocket dripper, next;
    dripper.connectToHost(QHostAddress::LocalHost, server.port());
    QTRY_COMPARE_WITH_TIMEOUT(dripper.state(), QAbstractSocket::ConnectedState, 5000);
    next.connectToHost(QHostAddress::LocalHost, server.port());
    QTRY_COMPARE_WITH_TIMEOUT(next.state(), QAbstractSocket::ConnectedState, 5000);
    next.write(QByteArray::fromHex("100401"));

    const QByteArray drops = QByteArray::fromHex("1b401d284c0b"); // ESC @, then GS ( L cut short
    qsizetype sent = 0;
    QTimer drip;
    QObject::connect(&drip, &QTimer::timeout, &drip, [&] { dripper.write(drops.mid(sent++, 1)); });
    drip.start(1000);
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestGap = 0;
    QTimer tick; // stands for the operator's clicks
    QObject::connect(&tick, &QTimer::timeout, &tick,
                     [&] { longestGap = qMax(longestGap, sinceTick.restart()); });
    tick.start(10);
    QTRY_COMPARE_WITH_TIMEOUT(sent, drops.size(), 10000);
    QTest::qWait(200);
    QCOMPARE(next.bytesAvailable(), 0); // not its turn yet
    drip.stop();
    dripper.disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(next.bytesAvailable() > 0, 1000);
    QCOMPARE(next.readAll().toHex(), QByteArray("12"));
    QVERIFY2(longestGap < 100, qPrintable(QString::number(longestGap)));
}

// A client that has shut its sending side while its job waits for the cover holds the port past the idle
// time-out; the next is unanswered until the first closes, prints, and idling closes it in turn.
void TestTcpServer::nextClientWaitsUntilTheFirstCloses() {
    VirtualPrinter printer(QStringLiteral("tcp"), VirtualProfile::defaultProfile());
    TcpPrinterServer server(&printer);
    server.setIdleTimeout(100);
    QVERIFY(server.listen(QHostAddress::LocalHost, 0, nullptr));
    printer.setCoverOpen(true);
    QTcpSocket first, second, third;
    for (QTcpSocket* client : {&first, &second, &third})
        client->connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(first.waitForConnected(5000) && second.waitForConnected(5000) && third.waitForConnected(5000));
    first.write(QByteArray("FIRST\n") + QByteArray::fromHex("1d7201"));
    QVERIFY(first.waitForBytesWritten(5000));
    QCOMPARE(::shutdown(int(first.socketDescriptor()), SHUT_WR), 0);
    second.write(QByteArray("SECOND\n") + QByteArray::fromHex("100401"));
    QTest::qWait(400);
    QVERIFY(second.bytesAvailable() == 0 && first.state() == QAbstractSocket::ConnectedState);
    printer.setCoverOpen(false);
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), QAbstractSocket::UnconnectedState, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(second.peek(8).toHex(), QByteArray("12"), 5000);
    QTRY_COMPARE(paperLines(printer), (QStringList{QStringLiteral("FIRST"), QStringLiteral("SECOND")}));
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QAbstractSocket::UnconnectedState, 5000);
    third.write(QByteArray::fromHex("100401"));
    QTRY_COMPARE_WITH_TIMEOUT(third.peek(8).toHex(), QByteArray("12"), 5000);
}

QTEST_MAIN(TestTcpServer)
#include "tst_tcpserver.moc"
