#include "device/escpos/escposencoder.h"

#include <QImage>
#include <QtTest>

using namespace device;

class TestEscPosEncoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandBytes_data();
    void commandBytes();
    void checkerboardRaster();
    void rasterPadsWidthAndReadsAnyFormat();
    void rasterSplitsTallImagesIntoBands();
    void rasterOfNullImageIsEmpty();
};

void TestEscPosEncoder::commandBytes_data() {
    QTest::addColumn<QByteArray>("actual");
    QTest::addColumn<QByteArray>("expected");
    auto row = [](const char* name, const QByteArray& actual, const char* hex) {
        QTest::newRow(name) << actual << QByteArray::fromHex(hex);
    };
    row("initialize", EscPos::initialize(), "1b40");
    row("code page 858", EscPos::selectCharacterTable(19), "1b7413");
    row("feed 10 lines", EscPos::feedLines(10), "1b640a");
    row("feed 255 lines in one", EscPos::feedLines(255), "1b64ff");
    row("feed 300 lines split", EscPos::feedLines(300), "1b64ff1b642d");
    row("feed 510 lines split exactly", EscPos::feedLines(510), "1b64ff1b64ff");
    row("feed negative lines clamps", EscPos::feedLines(-3), "1b6400");
    row("feed 256 dots split", EscPos::feedDots(256), "1b4aff1b4a01");
    row("reverse feed 2 lines", EscPos::reverseFeedLines(2), "1b6502");
    row("reverse feed clamps", EscPos::reverseFeedLines(300), "1b65ff");
    row("full cut after feed", EscPos::cut(true), "1d564100");
    row("partial cut after feed", EscPos::cut(false, 3), "1d564203");
    row("cut feed clamps", EscPos::cut(true, 1000), "1d5641ff");
    row("full cut here", EscPos::cutHere(true), "1d5600");
    row("partial cut here", EscPos::cutHere(false), "1d5601");
    row("bold", EscPos::bold(true) + EscPos::bold(false), "1b45011b4500");
    row("underline clamps to two dots", EscPos::underline(5), "1b2d02");
    row("underline off", EscPos::underline(0), "1b2d00");
    row("font B", EscPos::font(1), "1b4d01");
    row("red, clamped", EscPos::printColour(1) + EscPos::printColour(5), "1b72011b7201");
    row("reverse", EscPos::reverse(true), "1d4201");
    row("double width", EscPos::characterSize(2, 1), "1d2110");
    row("double height", EscPos::characterSize(1, 2), "1d2101");
    row("double both", EscPos::characterSize(2, 2), "1d2111");
    row("size clamps to 8", EscPos::characterSize(9, 0), "1d2170");
    row("centre", EscPos::justify(1), "1b6101");
    row("justify clamps", EscPos::justify(7), "1b6102");
    row("upside down", EscPos::upsideDown(true), "1b7b01");
    row("page mode", EscPos::pageMode(), "1b4c");
    row("page area 576x400", EscPos::pageArea(0, 0, 576, 400),
        "1b57000000004002"
        "9001");
    row("page direction left90", EscPos::pageDirection(1), "1b5401");
    row("print page", EscPos::printPage(), "0c");
    row("standard mode", EscPos::standardMode(), "1b53");
    row("automatic status", EscPos::enableAutomaticStatus(0x0F), "1d610f");
    row("realtime status paper", EscPos::realtimeStatus(4), "100404");
    row("transmit status drawer", EscPos::transmitStatus(2), "1d7202");
    row("drawer pin 2, 100/500 ms", EscPos::drawerKick(2, 100, 500), "1b700032fa");
    row("drawer pin 5, 50 ms", EscPos::drawerKick(5, 50, 500), "1b700119fa");
    row("drawer times clamp", EscPos::drawerKick(2, 0, 2000), "1b700001ff");
    row("barcode setup", EscPos::barcodeSetup(162, 3, 2), "1d68a21d77031d4802");
    row("barcode setup clamps", EscPos::barcodeSetup(0, 9, 7), "1d68011d77061d4803");
    row("code128 Hello-123", EscPos::barcode(73, QByteArray("{BHello-123")),
        "1d6b490b7b42"
        "48656c6c6f2d313233");
    row("code128 set C pairs", EscPos::barcode(73, QByteArray::fromHex("7b430c22384e")),
        "1d6b49067b430c22384e");
    row("bar code data too long for its length byte", EscPos::barcode(69, QByteArray(256, 'A')), "");
}

void TestEscPosEncoder::commandBytes() {
    QFETCH(QByteArray, actual);
    QFETCH(QByteArray, expected);
    QCOMPARE(actual.toHex(' '), expected.toHex(' '));
}

void TestEscPosEncoder::checkerboardRaster() {
    QImage image(64, 64, QImage::Format_Mono);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, ((x / 8) + (y / 8)) % 2 == 0 ? 1 : 0);

    const QByteArray bytes = EscPos::rasterImage(image);
    QCOMPARE(bytes.left(8).toHex(' '), QByteArray("1d 76 30 00 08 00 40 00"));
    QCOMPARE(bytes.size(), 8 + 512);
    QCOMPARE(bytes.mid(8, 8).toHex(), QByteArray("ff00ff00ff00ff00"));
    QCOMPARE(bytes.mid(8 + 7 * 8, 8).toHex(), QByteArray("ff00ff00ff00ff00"));
    QCOMPARE(bytes.mid(8 + 8 * 8, 8).toHex(), QByteArray("00ff00ff00ff00ff"));
}

void TestEscPosEncoder::rasterPadsWidthAndReadsAnyFormat() {
    // 10 dots wide: two bytes per row, padding white; leftmost dot in bit 7.
    QImage image(10, 2, QImage::Format_ARGB32);
    image.fill(Qt::white);
    image.setPixel(0, 0, qRgb(0, 0, 0));
    image.setPixel(9, 0, qRgb(20, 20, 20));
    image.setPixel(1, 1, qRgba(0, 0, 0, 0)); // transparent is paper
    image.setPixel(8, 1, qRgb(200, 200, 200));

    QCOMPARE(EscPos::rasterImage(image).toHex(' '), QByteArray("1d 76 30 00 02 00 02 00 80 40 00 00"));
}

void TestEscPosEncoder::rasterSplitsTallImagesIntoBands() {
    QImage image(8, 300, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QByteArray bytes = EscPos::rasterImage(image);
    QCOMPARE(bytes.size(), 8 + 255 + 8 + 45);
    QCOMPARE(bytes.left(8).toHex(' '), QByteArray("1d 76 30 00 01 00 ff 00"));
    QCOMPARE(bytes.mid(8 + 255, 8).toHex(' '), QByteArray("1d 76 30 00 01 00 2d 00"));
    QCOMPARE(bytes.right(45), QByteArray(45, char(0xFF)));
}

void TestEscPosEncoder::rasterOfNullImageIsEmpty() {
    QVERIFY(EscPos::rasterImage(QImage()).isEmpty());
}

QTEST_APPLESS_MAIN(TestEscPosEncoder)
#include "tst_escposencoder.moc"
