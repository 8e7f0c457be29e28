#include "support/printerharness.h"

#include "device/transport/transportfactory.h"
#include "virtual/installvirtual.h"
#include "virtual/virtualprinterhub.h"
#include "virtual/virtualtransport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace virt;

class TestStatus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replies_data();
    void replies();
    void personalities_data();
    void personalities();
    void registryEntryChoosesThePersonality();
    void automaticStatusOnEnable();
    void oneBlockPerSensorChange_data();
    void oneBlockPerSensorChange();
    void offlineAnswersNothing();
    void changesWhileOfflineAreToldOnReturn();
    void printerIdReplies();
    void drawerKick_data();
    void drawerKick();
    void drawerClosesByItself();
    void drawerOpenLevelLow();
    void transportRepliesAfterWriteReturns();
    void transportSharesOnePrinterPerName();
    void captureWritesReceiptsAndWire();
    void unwritableCaptureIsReportedOnce();
    void captureFolderUsedAgainKeepsEarlierFiles();
};

void TestStatus::replies_data() {
    QTest::addColumn<bool>("coverOpen");
    QTest::addColumn<int>("paper");
    QTest::addColumn<bool>("drawerOpen");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const int ok = int(PaperLevel::Ok), near = int(PaperLevel::NearEnd), out = int(PaperLevel::Out);
    QTest::newRow("DLE EOT 1 idle") << false << ok << false << QByteArray::fromHex("100401")
                                    << QByteArray::fromHex("12");
    QTest::newRow("DLE EOT 1 drawer open")
        << false << ok << true << QByteArray::fromHex("100401") << QByteArray::fromHex("16");
    QTest::newRow("DLE EOT 1 cover open is offline")
        << true << ok << false << QByteArray::fromHex("100401") << QByteArray::fromHex("1a");
    QTest::newRow("DLE EOT 2 cover open")
        << true << ok << false << QByteArray::fromHex("100402") << QByteArray::fromHex("16");
    QTest::newRow("DLE EOT 2 stopped for paper end")
        << false << out << false << QByteArray::fromHex("100402") << QByteArray::fromHex("32");
    QTest::newRow("DLE EOT 3") << false << ok << false << QByteArray::fromHex("100403")
                               << QByteArray::fromHex("12");
    QTest::newRow("DLE EOT 4 paper ok")
        << false << ok << false << QByteArray::fromHex("100404") << QByteArray::fromHex("12");
    QTest::newRow("DLE EOT 4 near end")
        << false << near << false << QByteArray::fromHex("100404") << QByteArray::fromHex("1e");
    QTest::newRow("DLE EOT 4 no paper")
        << false << out << false << QByteArray::fromHex("100404") << QByteArray::fromHex("7e");
    QTest::newRow("GS r 1 near end") << false << near << false << QByteArray::fromHex("1d7201")
                                     << QByteArray::fromHex("03");
    QTest::newRow("GS r '1' waits while out of paper")
        << false << out << false << QByteArray::fromHex("1d7231") << QByteArray();
    QTest::newRow("GS r 2 drawer") << false << ok << true << QByteArray::fromHex("1d7202")
                                   << QByteArray::fromHex("01");
    QTest::newRow("GS r 2 closed") << false << ok << false << QByteArray::fromHex("1d7232")
                                   << QByteArray::fromHex("00");
    QTest::newRow("status in order after text")
        << false << ok << false << QByteArray::fromHex("41100401100404") << QByteArray::fromHex("1212");
}

void TestStatus::replies() {
    QFETCH(bool, coverOpen);
    QFETCH(int, paper);
    QFETCH(bool, drawerOpen);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    PrinterHarness h;
    h.printer->drawer()->setCloseDelay(0);
    h.printer->setCoverOpen(coverOpen);
    h.printer->setPaper(PaperLevel(paper));
    if (drawerOpen)
        h.printer->drawer()->pulse(2);
    h.printer->receive(h.session, request);
    QVERIFY2(h.replies.isEmpty(), "a reply must not arrive inside the write");
    QCOMPARE(h.takeReplies().toHex(), reply.toHex());
}

namespace {
const QStringList kKinds{"all", "gsr", "realtime", "none"}; // from the one that answers most
// Text, a bar code, an image, a drawer kick and a cut, with requests among them.
const QByteArray kJob = QByteArray("FIRST\n") + QByteArray::fromHex("1d610f 1d7201 1d4943 100401 1d6b04") +
                        "CODE39" + '\0' + QByteArray::fromHex("1d28480600303031323334 1b700032fa") +
                        QByteArray::fromHex("1d763000 0200 0800 ffff0000ffff0000ffff0000ffff0000") +
                        "LAST\n" + QByteArray::fromHex("1d564200");
} // namespace

void TestStatus::personalities_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply"); // how the reply starts; empty: silence
    const QByteArray nul(1, '\0');
    // name, request, reply, how many of kKinds answer
    const std::tuple<const char*, const char*, QByteArray, int> rows[] = {
        {"DLE EOT 1 to 4", "100401 100402 100403 100404", "\x12\x12\x12\x12", 3},
        {"GS r 1, GS r '2'", "1d7201 1d7232", QByteArray(2, '\0'), 2},
        {"ESC u 0, ESC v", "1b7500 1b76", QByteArray(2, '\0'), 2},
        {"GS a", "1d610f", QByteArray::fromHex("10000000"), 2},
        {"GS I 65 to 69", "1d4941 1d4942 1d4943 1d4944 1d4945",
         "_1.00" + nul + "_Posling" + nul + "_Virtual Printer 80" + nul + "_VP", 2},
        {"GS ( H fn 48", "1d28480600303041423344", QByteArray::fromHex("372241423344") + nul, 1},
        {"DLE DC4 fn 8", "10140801031401060208", QByteArray::fromHex("372500"), 1},
    };
    for (qsizetype kind = 0; kind < kKinds.size(); ++kind)
        for (const auto& [name, request, reply, answeredBy] : rows)
            QTest::addRow("%s: %s", qPrintable(kKinds[kind]), name)
                << kKinds[kind] << QByteArray::fromHex(request) << (kind < answeredBy ? reply : QByteArray());
}

// Each request is taken at its length, answered or not: the job after it prints alike on every kind,
// and a job a stopped printer holds outlives it unless the printer knows it as a clear and says so.
void TestStatus::personalities() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    PrinterHarness reference, h;
    reference.send(kJob);
    h.printer->setPersonality(*ReplyPersonality::byId(kind));
    h.send(request);
    QCOMPARE(h.takeReplies().left(qMax<qsizetype>(reply.size(), 1)).toHex(), reply.toHex());
    h.send(kJob);
    QCOMPARE(h.printer->paper()->receipts().value(0).image, reference.printer->paper()->receipts()[0].image);
    QVERIFY(h.printer->drawer()->isOpen());
    h.printer->setCoverOpen(true);
    h.send("KEPT\n" + request);
    h.printer->setCoverOpen(false);
    h.settle();
    QCOMPARE(h.lines().constLast(), QLatin1String(reply.startsWith("\x37\x25") ? "LAST" : "KEPT"));
}

// answers= of a virtual: entry, upper or lower case; an entry without it answers everything again.
void TestStatus::registryEntryChoosesThePersonality() {
    installVirtualPrinter();
    const auto open = [](const QMap<QString, QString>& options) {
        auto link = device::TransportFactory::create(QStringLiteral("virtual:T-kind"), options, nullptr);
        QSignalSpy opened(link.get(), &device::Transport::openFinished);
        link->open();
        return (opened.wait(2000) ? opened[0][1].toString() : QStringLiteral("no answer")) +
               VirtualPrinterHub::instance()->find(QStringLiteral("T-kind"))->personality().id;
    };
    QCOMPARE(open({{"answers", "Realtime"}}), QStringLiteral("realtime"));
    QCOMPARE(
        open({{"answers", "loud"}, {"name", "Z9"}}),
        QStringLiteral("entry \"Z9\": unknown answers \"loud\" (known: all, gsr, realtime, none)realtime"));
    QCOMPARE(open({}), QStringLiteral("all"));
}

void TestStatus::automaticStatusOnEnable() {
    PrinterHarness h;
    h.printer->setPaper(PaperLevel::NearEnd);
    h.sendHex("1d610f");
    QCOMPARE(h.takeReplies().toHex(), QByteArray("10000300"));
    h.sendHex("1d6100"); // disabling sends nothing
    QCOMPARE(h.takeReplies().toHex(), QByteArray());
}

void TestStatus::oneBlockPerSensorChange_data() {
    QTest::addColumn<int>("mask");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QByteArray>("blocks");
    QTest::newRow("cover open") << 0x0F << "cover"
                                << QByteArray::fromHex("38000000"); // open cover: offline too
    QTest::newRow("paper near end") << 0x0F << "near" << QByteArray::fromHex("10000300");
    QTest::newRow("paper out") << 0x0F << "out" << QByteArray::fromHex("18000f00");
    QTest::newRow("drawer opens") << 0x0F << "drawer" << QByteArray::fromHex("14000000");
    QTest::newRow("drawer only watched, paper changes") << 0x01 << "near" << QByteArray();
    QTest::newRow("paper only watched, drawer opens") << 0x08 << "drawer" << QByteArray();
    QTest::newRow("same state set again") << 0x0F << "none" << QByteArray();
}

void TestStatus::oneBlockPerSensorChange() {
    QFETCH(int, mask);
    QFETCH(QString, change);
    QFETCH(QByteArray, blocks);
    PrinterHarness h;
    h.send(QByteArray::fromHex("1d61") + char(mask));
    h.takeReplies(); // the block sent on enabling
    if (change == QLatin1String("cover"))
        h.printer->setCoverOpen(true);
    else if (change == QLatin1String("near"))
        h.printer->setPaper(PaperLevel::NearEnd);
    else if (change == QLatin1String("out"))
        h.printer->setPaper(PaperLevel::Out);
    else if (change == QLatin1String("drawer"))
        h.printer->drawer()->pulse(2);
    else
        h.printer->setPaper(PaperLevel::Ok);
    QCOMPARE(h.takeReplies().toHex(), blocks.toHex());
}

void TestStatus::offlineAnswersNothing() {
    PrinterHarness h;
    h.sendHex("1d610f");
    h.takeReplies();
    h.printer->setOnline(false);
    h.printer->setCoverOpen(true);
    h.send(QByteArray::fromHex("100401") + "TEXT\n");
    QCOMPARE(h.takeReplies(), QByteArray());
    QVERIFY(h.printer->paper()->isBlank());
    h.printer->setCoverOpen(false);
    h.printer->setOnline(true);
    // Back on line: one block with the state of now.
    QCOMPARE(h.takeReplies().toHex(), QByteArray("10000000"));
}

void TestStatus::changesWhileOfflineAreToldOnReturn() {
    PrinterHarness h;
    h.sendHex("1d6108"); // paper sensor only
    QCOMPARE(h.takeReplies().toHex(), QByteArray("10000000"));
    h.printer->setOnline(false);
    h.printer->setPaper(PaperLevel::NearEnd);
    QCOMPARE(h.takeReplies(), QByteArray());
    h.printer->setOnline(true);
    QCOMPARE(h.takeReplies().toHex(), QByteArray("10000300"));
    h.printer->setOnline(false);
    h.printer->setOnline(true); // nothing the host watches changed
    QCOMPARE(h.takeReplies(), QByteArray());
}

void TestStatus::printerIdReplies() {
    PrinterHarness h;
    h.sendHex("1d4902");
    QCOMPARE(h.takeReplies().toHex(), QByteArray("02"));
    h.sendHex("1d4943");
    QCOMPARE(h.takeReplies(), QByteArray("_Virtual Printer 80") + QByteArray(1, '\0'));
    const QByteArray all = (h.sendHex("1d49011d49031d4941"), h.takeReplies());
    for (char c : all.left(2))
        QCOMPARE(quint8(c) & 0x90, 0); // 0xx0xxxx
}

void TestStatus::drawerKick_data() {
    QTest::addColumn<int>("pin");
    QTest::addColumn<QByteArray>("kick");
    QTest::addColumn<bool>("opens");
    QTest::newRow("ESC p 0 on pin 2") << 2 << QByteArray::fromHex("1b700032fa") << true;
    QTest::newRow("ESC p '0' on pin 2") << 2 << QByteArray::fromHex("1b703019fa") << true;
    QTest::newRow("ESC p 1 on pin 2") << 2 << QByteArray::fromHex("1b700132fa") << false;
    QTest::newRow("ESC p 1 on pin 5") << 5 << QByteArray::fromHex("1b700132fa") << true;
    QTest::newRow("DLE DC4 pin 2") << 2 << QByteArray::fromHex("1014010001") << true;
    QTest::newRow("DLE DC4 pin 5 on pin 2") << 2 << QByteArray::fromHex("1014010101") << false;
    QTest::newRow("ESC p with m 2 drives no pin") << 2 << QByteArray::fromHex("1b700232fa") << false;
    QTest::newRow("DLE DC4 with t 0 is no pulse") << 2 << QByteArray::fromHex("1014010000") << false;
    QTest::newRow("DLE DC4 with m 2 is no pulse") << 2 << QByteArray::fromHex("1014010201") << false;
}

void TestStatus::drawerKick() {
    QFETCH(int, pin);
    QFETCH(QByteArray, kick);
    QFETCH(bool, opens);
    PrinterHarness h;
    h.printer->drawer()->setPin(pin);
    h.send(kick + QByteArray::fromHex("1d7202"));
    QCOMPARE(h.printer->drawer()->isOpen(), opens);
    QCOMPARE(h.takeReplies().toHex(), QByteArray(opens ? "01" : "00"));
}

void TestStatus::drawerClosesByItself() {
    PrinterHarness h;
    h.printer->drawer()->setCloseDelay(50);
    h.sendHex("1d6101");
    h.takeReplies();
    h.sendHex("1b700032fa");
    QVERIFY(h.printer->drawer()->isOpen());
    QCOMPARE(h.takeReplies().toHex(), QByteArray("14000000"));
    QTRY_VERIFY_WITH_TIMEOUT(!h.printer->drawer()->isOpen(), 5000);
    QCOMPARE(h.takeReplies().toHex(), QByteArray("10000000"));
    // A close delay of 0 keeps it open until closed by hand.
    h.printer->drawer()->setCloseDelay(0);
    h.sendHex("1b700032fa");
    QTest::qWait(100);
    QVERIFY(h.printer->drawer()->isOpen());
    h.printer->drawer()->close();
    QVERIFY(!h.printer->drawer()->isOpen());
}

void TestStatus::drawerOpenLevelLow() {
    PrinterHarness h;
    h.printer->drawer()->setOpenLevelHigh(false);
    h.sendHex("100401");
    QCOMPARE(h.takeReplies().toHex(), QByteArray("16")); // closed reads high
    h.printer->drawer()->pulse(2);
    h.sendHex("100401");
    QCOMPARE(h.takeReplies().toHex(), QByteArray("12"));
}

void TestStatus::transportRepliesAfterWriteReturns() {
    installVirtualPrinter();
    QString error;
    auto transport = device::TransportFactory::create(
        QStringLiteral("virtual:T-async"), {{QStringLiteral("close_delay"), QStringLiteral("0")}}, &error);
    QVERIFY2(transport, qPrintable(error));
    QVERIFY(!transport->isOpen()); // constructors do no I/O
    QSignalSpy opened(transport.get(), &device::Transport::openFinished);
    QSignalSpy data(transport.get(), &device::Transport::dataReceived);
    transport->open();
    QCOMPARE(opened.count(), 0);
    QVERIFY(opened.wait(2000));
    QCOMPARE(opened.first().at(0).value<device::Transport::OpenStatus>(),
             device::Transport::OpenStatus::Opened);
    transport->write(QByteArray::fromHex("100404"));
    QCOMPARE(data.count(), 0);
    QVERIFY(data.wait(2000));
    QCOMPARE(data.first().at(0).toByteArray().toHex(), QByteArray("12"));
    transport->close();
    QSignalSpy lost(transport.get(), &device::Transport::linkLost);
    transport->write("x");
    QVERIFY(lost.wait(2000));
}

void TestStatus::transportSharesOnePrinterPerName() {
    installVirtualPrinter();
    QString error;
    auto printerLink =
        device::TransportFactory::create(QStringLiteral("virtual:T-shared"), {{"profile", "58mm"}}, &error);
    auto drawerLink = device::TransportFactory::create(QStringLiteral("virtual:T-shared"),
                                                       {{"pin", "5"}, {"close_delay", "0"}}, &error);
    printerLink->open();
    drawerLink->open();
    QSignalSpy drawerData(drawerLink.get(), &device::Transport::dataReceived);
    QSignalSpy printerData(printerLink.get(), &device::Transport::dataReceived);
    drawerLink->write(QByteArray::fromHex("1b700132fa1d7202"));
    QVERIFY(drawerData.wait(2000));
    QCOMPARE(drawerData.first().at(0).toByteArray().toHex(), QByteArray("01"));
    QCOMPARE(printerData.count(), 0); // replies go back on the link that asked
    VirtualPrinter* printer = VirtualPrinterHub::instance()->find(QStringLiteral("T-shared"));
    QVERIFY(printer);
    QCOMPARE(printer->profile().widthDots, 384);
    QVERIFY(printer->drawer()->isOpen());
}

void TestStatus::captureWritesReceiptsAndWire() {
    QTemporaryDir dir;
    QByteArray wire = QByteArray("ONE\n") + QByteArray::fromHex("1d564200") + "TWO\n" +
                      QByteArray::fromHex("1d5601") + "REST\n";
    {
        PrinterHarness h;
        h.printer->setCaptureFolder(dir.path());
        h.send(wire.left(5));
        h.send(wire.mid(5));
        QVERIFY(QFile::exists(dir.filePath("receipt-0001.png")));
        QVERIFY(QFile::exists(dir.filePath("receipt-0002.png")));
        QVERIFY(!QFile::exists(dir.filePath("receipt-0003.png")));
        QFile file(dir.filePath("wire.bin"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), wire); // appended as it arrives
    }                                   // the printer ends: the uncut rest is saved
    const QImage rest(dir.filePath("receipt-0003.png"));
    QCOMPARE(rest.width(), 576);
    QVERIFY(!inkBounds(rest).isEmpty());
    const QImage first(dir.filePath("receipt-0001.png"));
    QCOMPARE(first.height(), 30);
}

void TestStatus::unwritableCaptureIsReportedOnce() {
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PrinterHarness h;
    QSignalSpy problems(h.printer.get(), &VirtualPrinter::problemFound);
    h.printer->setCaptureFolder(dir.filePath("file/sub")); // below a plain file: cannot exist
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("capture folder .* cannot be created"));
    h.send(QByteArray("A\n") + QByteArray::fromHex("1d564200") + "B\n" + QByteArray::fromHex("1d564200"));
    QCOMPARE(problems.count(), 1);
    QVERIFY(!h.printer->problem().isEmpty());
    QCOMPARE(h.printer->paper()->receiptsCut(), 2); // printing went on
}

void TestStatus::captureFolderUsedAgainKeepsEarlierFiles() {
    QTemporaryDir dir;
    const QByteArray job = QByteArray("A\n") + QByteArray::fromHex("1d564200");
    for (int run = 0; run < 2; ++run) {
        PrinterHarness h;
        h.printer->setCaptureFolder(dir.path());
        h.send(job);
    }
    QVERIFY(QFile::exists(dir.filePath("receipt-0001.png")));
    QVERIFY(QFile::exists(dir.filePath("receipt-0002.png")));
    QFile file(dir.filePath("wire.bin"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), job + job);
}

QTEST_MAIN(TestStatus)
#include "tst_status.moc"
