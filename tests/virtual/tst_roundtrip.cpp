#include "support/printerharness.h"

#include "device/escpos/escposencoder.h"

#include <QtTest>

using namespace virt;
namespace E = device::EscPos;

// What the encoder sends is what the paper shows.
class TestRoundTrip : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void jobs_data();
    void jobs();
    void rasterRoundTrip();
};

void TestRoundTrip::jobs_data() {
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("cuts");
    QTest::addColumn<int>("position"); // of the open receipt, in dots

    QTest::newRow("text and feeds") << E::initialize() + "Hello" + E::lineFeed() + E::feedLines(2)
                                    << QStringList{"Hello"} << 0 << 30 + 60;
    QTest::newRow("feed dots beyond 255 are split")
        << E::initialize() + E::feedDots(300) << QStringList{} << 0 << 300;
    QTest::newRow("modes do not show as text")
        << E::initialize() + E::bold(true) + E::underline(2) + E::reverse(true) + E::characterSize(2, 2) +
               "Big" + E::lineFeed() + E::bold(false) + E::characterSize(1, 1) + "small" + E::lineFeed()
        << QStringList{"Big", "small"} << 0 << 48 + 30;
    QTest::newRow("two receipts") << E::initialize() + "A" + E::lineFeed() + E::cut(true) + "B" +
                                         E::lineFeed() + E::cut(false, 20) + "C" + E::lineFeed()
                                  << QStringList{"C"} << 2 << 150 + 30;
    // The blade is 150 dots above the head: cutting at once leaves the line on the roll.
    QTest::newRow("cut here") << E::initialize() + "A" + E::lineFeed() + E::cutHere(false) << QStringList{"A"}
                              << 1 << 30;
    QTest::newRow("status requests leave no trace")
        << E::initialize() + E::realtimeStatus(1) + E::transmitStatus(1) + E::enableAutomaticStatus(0x0F) +
               "X" + E::lineFeed()
        << QStringList{"X"} << 0 << 30;
    QTest::newRow("page mode printed by FF")
        << E::initialize() + E::pageMode() + E::pageArea(0, 0, 576, 200) + E::pageDirection(1) + "SIDE" +
               E::lineFeed() + E::printPage() + "after" + E::lineFeed()
        << QStringList{"after"} << 0 << 200 + 30;
}

void TestRoundTrip::jobs() {
    QFETCH(QByteArray, job);
    QFETCH(QStringList, lines);
    QFETCH(int, cuts);
    QFETCH(int, position);
    PrinterHarness h;
    h.send(job);
    QStringList printed;
    for (const PrintedLine& line : h.printer->paper()->currentLines())
        printed.append(line.text);
    QCOMPARE(printed, lines);
    QCOMPARE(h.printer->paper()->receiptsCut(), cuts);
    QCOMPARE(h.printer->paper()->position(), position);
    QCOMPARE(h.session->interpreter().unknownCount(), 0);
    QCOMPARE(h.session->interpreter().refusedCount(), 0);
}

void TestRoundTrip::rasterRoundTrip() {
    QImage logo(40, 12, QImage::Format_Mono);
    logo.fill(1);
    logo.setColor(0, qRgb(0, 0, 0));
    logo.setColor(1, qRgb(255, 255, 255));
    for (int i = 0; i < 12; ++i)
        logo.setPixel(i * 3, i, 0);
    PrinterHarness h;
    h.send(E::initialize() + E::rasterImage(logo));
    const QImage paper = h.current();
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 40; ++x)
            QCOMPARE(qGray(paper.pixel(x, y)) < 128, x == y * 3);
}

QTEST_MAIN(TestRoundTrip)
#include "tst_roundtrip.moc"
