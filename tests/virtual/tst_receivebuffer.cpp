#include "support/printerharness.h"

#include "device/transport/transportfactory.h"
#include "virtual/installvirtual.h"
#include "virtual/tcpprinterserver.h"
#include "virtual/virtualprinterhub.h"
#include "virtual/virtualtransport.h"

#include <QTcpSocket>
#include <QtTest>

using namespace virt;

namespace {

void stop(VirtualPrinter* printer, const QString& cause, bool stopped) {
    if (cause == QLatin1String("cover"))
        printer->setCoverOpen(stopped);
    else if (cause == QLatin1String("paper"))
        printer->setPaper(stopped ? PaperLevel::Out : PaperLevel::Ok);
    else if (cause == QLatin1String("near"))
        printer->setPaper(stopped ? PaperLevel::NearEnd : PaperLevel::Ok);
    else
        printer->setOnline(!stopped);
}

QByteArray processId(const char* id) {
    return QByteArray::fromHex("1d284806003030") + id;
}

QByteArray numberedLines(int count, const QByteArray& padding = QByteArray()) {
    QByteArray job;
    for (int i = 0; i < count; ++i)
        job += QByteArray("L") + QByteArray::number(i) + padding + "\n";
    return job;
}

QStringList numberedTexts(int count) {
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(QStringLiteral("L%1").arg(i));
    return texts;
}

QStringList printedTexts(VirtualPrinter* printer) {
    QStringList texts;
    for (const Receipt& receipt : printer->paper()->receipts())
        for (const PrintedLine& line : receipt.lines)
            texts.append(line.text.trimmed());
    for (const PrintedLine& line : printer->paper()->currentLines())
        texts.append(line.text.trimmed());
    return texts;
}

VirtualProfile smallBuffer(int bytes) {
    VirtualProfile profile = VirtualProfile::defaultProfile();
    profile.receiveBufferBytes = bytes;
    return profile;
}

} // namespace

// The printer as hardware buffers: in-order requests wait for the data before them, real-time
// requests and recovery commands act on arrival, a full buffer holds the link.
class TestReceiveBuffer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void heldWhileStopped_data();
    void heldWhileStopped();
    void processIdAnswersInOrder_data();
    void processIdAnswersInOrder();
    void clearing_data();
    void clearing();
    void operatorActsBetweenLines_data();
    void operatorActsBetweenLines();
    void fullBufferTakesTheRestLater();
    void transportHoldsWhatTheBufferRefuses();
    void tcpStopsReadingWhenFull();
    void closedLinkStillPrintsFirst();
};

void TestReceiveBuffer::heldWhileStopped_data() {
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QByteArray>("realtimeReply"); // DLE EOT 2, at once
    QTest::newRow("cover open") << "cover" << QByteArray::fromHex("16");
    QTest::newRow("paper out") << "paper" << QByteArray::fromHex("32");
    QTest::newRow("offline says nothing") << "offline" << QByteArray();
}

void TestReceiveBuffer::heldWhileStopped() {
    QFETCH(QString, cause);
    QFETCH(QByteArray, realtimeReply);
    PrinterHarness h;
    stop(h.printer.get(), cause, true);
    h.send(QByteArray("A\n") + QByteArray::fromHex("1d7201") + processId("0001") +
           QByteArray::fromHex("100402"));
    QCOMPARE(h.takeReplies().toHex(), realtimeReply.toHex());
    QVERIFY(h.printer->paper()->isBlank());
    QTest::qWait(50);
    QCOMPARE(h.takeReplies(), QByteArray()); // nothing leaks out while stopped
    stop(h.printer.get(), cause, false);
    QCOMPARE(h.takeReplies().toHex(), QByteArray("00"
                                                 "372230303031"
                                                 "00"));
    QCOMPARE(h.lines(), QStringList{"A"});
}

void TestReceiveBuffer::processIdAnswersInOrder_data() {
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<QByteArray>("replies");
    QTest::newRow("two IDs after their lines")
        << QByteArray("A\n") + processId("AB12") + "B\n" + processId("CD34")
        << QByteArray::fromHex("37224142313200"
                               "37224344333400");
    QTest::newRow("ID byte below 20h is refused")
        << QByteArray::fromHex("1d28480600303041421931") << QByteArray();
    QTest::newRow("other function is silent")
        << QByteArray::fromHex("1d28480600303141424344") << QByteArray();
    QTest::newRow("ID behind a real-time request") << processId("ZZZZ") + QByteArray::fromHex("100401")
                                                   << QByteArray::fromHex("1a"
                                                                          "37225a5a5a5a00");
}

void TestReceiveBuffer::processIdAnswersInOrder() {
    QFETCH(QByteArray, job);
    QFETCH(QByteArray, replies);
    PrinterHarness h;
    h.printer->setCoverOpen(true); // so the real-time reply can overtake
    h.send(job);
    h.printer->setCoverOpen(false);
    QCOMPARE(h.takeReplies().toHex(), replies.toHex());
}

void TestReceiveBuffer::clearing_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("printed");
    QTest::newRow("DLE DC4 fn 8 clears") << QByteArray::fromHex("10140801031401060208")
                                         << QByteArray::fromHex("372500") << QStringList{"NEXT"};
    QTest::newRow("DLE DC4 fn 8 with wrong parameters keeps")
        << QByteArray::fromHex("10140801031401060209") << QByteArray() << QStringList{"HELD", "HALNEXT"};
    QTest::newRow("DLE ENQ 2 clears") << QByteArray::fromHex("100502") << QByteArray() << QStringList{"NEXT"};
    QTest::newRow("DLE ENQ 1 goes on")
        << QByteArray::fromHex("100501") << QByteArray() << QStringList{"HELD", "HALNEXT"};
}

void TestReceiveBuffer::clearing() {
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, printed);
    PrinterHarness h;
    h.printer->setCoverOpen(true);
    // Held: a line and half a line in bold; the clear arrives with the next data in one chunk.
    h.send(QByteArray::fromHex("1b4501") + "HELD\nHAL");
    h.send(command + "NEXT\n");
    QCOMPARE(h.takeReplies().toHex(), reply.toHex());
    h.printer->setCoverOpen(false);
    h.takeReplies();
    QCOMPARE(h.lines(), printed); // a clear leaves no trace of the half line either
    QVERIFY(!h.session->pageMode().isActive());
}

void TestReceiveBuffer::operatorActsBetweenLines_data() {
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QStringList>("whileStopped");
    QTest::addColumn<QStringList>("atEnd");
    const QStringList all{"AAA", "BBB", "CCC"};
    QTest::newRow("cover opened after the first line") << "cover" << QStringList{"AAA"} << all;
    QTest::newRow("paper out under the first line loses only it")
        << "paper" << QStringList{} << QStringList{"BBB", "CCC"};
    QTest::newRow("near end does not stop") << "near" << all << all;
}

void TestReceiveBuffer::operatorActsBetweenLines() {
    QFETCH(QString, cause);
    QFETCH(QStringList, whileStopped);
    QFETCH(QStringList, atEnd);
    PrinterHarness h;
    h.printer->setDotLinesPerSecond(300); // a line takes 100 ms: time to act while it prints
    h.printer->receive(h.session, "AAA\nBBB\nCCC\n");
    QDeadlineTimer deadline(5000);
    while (h.printer->paper()->currentLines().isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents();
    QCOMPARE(h.lines(), QStringList{"AAA"});
    stop(h.printer.get(), cause, true);
    h.printer->setDotLinesPerSecond(0);
    h.settle();
    QCOMPARE(h.lines(), whileStopped);
    if (cause == QLatin1String("paper"))
        QVERIFY(h.printer->wireLog()->entries().last().name.contains(
            QStringLiteral("\"AAA\": that line is lost")));
    stop(h.printer.get(), cause, false);
    h.settle();
    QCOMPARE(h.lines(), atEnd);
}

void TestReceiveBuffer::fullBufferTakesTheRestLater() {
    PrinterHarness h(smallBuffer(64));
    h.printer->setCoverOpen(true);
    const QByteArray job = numberedLines(40);
    QCOMPARE(h.printer->receive(h.session, job), qsizetype(64));
    QCOMPARE(h.printer->receive(h.session, job.mid(64)), qsizetype(0));
    // A real-time request past the full buffer.
    h.printer->receiveRealtime(h.session, QByteArray::fromHex("100401"));
    QCOMPARE(h.takeReplies().toHex(), QByteArray("1a"));
    QSignalSpy freed(h.session, &EscPosSession::spaceFreed);
    h.printer->setCoverOpen(false);
    h.send(job.mid(64));
    QVERIFY(freed.count() >= 1);
    QCOMPARE(h.lines(), numberedTexts(40));
}

void TestReceiveBuffer::transportHoldsWhatTheBufferRefuses() {
    installVirtualPrinter();
    QString error;
    auto link = device::TransportFactory::create(QStringLiteral("virtual:RB-flow"), {}, &error);
    QVERIFY2(link, qPrintable(error));
    auto* transport = qobject_cast<VirtualTransport*>(link.get());
    QVERIFY(transport);
    QSignalSpy data(transport, &device::Transport::dataReceived);
    transport->open();
    VirtualPrinter* printer = transport->printer();
    printer->setCoverOpen(true);
    const QByteArray job = numberedLines(600, QByteArray(30, ' ')); // about 22 KB
    transport->write(job + processId("DONE"));
    QVERIFY(transport->pendingBytes() > 0);
    QCOMPARE(printer->bufferedBytes(), qsizetype(printer->profile().receiveBufferBytes));
    transport->write(QByteArray::fromHex("100402"));
    QVERIFY(data.wait(2000));
    QCOMPARE(data.takeFirst().at(0).toByteArray().toHex(), QByteArray("16"));
    printer->setCoverOpen(false);
    QTRY_COMPARE_WITH_TIMEOUT(data.count(), 1, 10000);
    QCOMPARE(data.first().at(0).toByteArray().toHex(), QByteArray("3722444f4e4500"));
    QCOMPARE(printedTexts(printer), numberedTexts(600));
    transport->close();
}

void TestReceiveBuffer::tcpStopsReadingWhenFull() {
    VirtualPrinter printer(QStringLiteral("tcp-flow"), smallBuffer(256));
    TcpPrinterServer server(&printer);
    QString error;
    QVERIFY2(server.listen(QHostAddress::LocalHost, 0, &error), qPrintable(error));
    printer.setCoverOpen(true);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(socket.waitForConnected(5000));
    const QByteArray job = numberedLines(1000);
    socket.write(job);
    QTRY_COMPARE_WITH_TIMEOUT(printer.bufferedBytes(), qsizetype(256), 5000);
    QTest::qWait(100);
    QCOMPARE(printer.bufferedBytes(), qsizetype(256)); // never more than the buffer holds
    printer.setCoverOpen(false);
    QTRY_COMPARE_WITH_TIMEOUT(printedTexts(&printer).size(), 1000, 20000);
    QCOMPARE(printedTexts(&printer), numberedTexts(1000));
}

void TestReceiveBuffer::closedLinkStillPrintsFirst() {
    PrinterHarness h;
    h.printer->setCoverOpen(true);
    h.send("OLD1\nOLD2\n");
    h.printer->detach(h.session); // the host hung up; what it sent is the printer's now
    EscPosSession* newer = h.printer->attach([](const QByteArray&) {});
    h.printer->receive(newer, "NEW\n");
    h.printer->setCoverOpen(false);
    h.settle();
    QCOMPARE(h.lines(), (QStringList{"OLD1", "OLD2", "NEW"}));
}

QTEST_MAIN(TestReceiveBuffer)
#include "tst_receivebuffer.moc"
