#include "support/printerharness.h"

#include <QFile>
#include <QtTest>

namespace {

// GS ( k: model 1, module size, error level, store, print.
QByteArray model1(const QByteArray& data, int level, int dots) {
    const int length = int(data.size()) + 3;
    return QByteArray::fromHex("1d286b040031413100") + QByteArray::fromHex("1d286b03003143") + char(dots) +
           QByteArray::fromHex("1d286b03003145") + char(level) + QByteArray::fromHex("1d286b") +
           char(length & 0xff) + char(length >> 8) + "1P0" + data + QByteArray::fromHex("1d286b0300315130");
}

QImage printed(const QByteArray& stream) {
    PrinterHarness h;
    h.send(stream);
    return h.current();
}

// The printed symbol as rows of '1' (dark) and '0', one character per module.
QStringList modules(const QImage& paper, int size, int dots) {
    const QRect ink = inkBounds(paper);
    QStringList rows;
    for (int y = 0; y < size; ++y) {
        QString row;
        for (int x = 0; x < size; ++x) {
            const QPoint p = ink.topLeft() + QPoint(x * dots + dots / 2, y * dots + dots / 2);
            row += qGray(paper.pixel(p)) < 128 ? u'1' : u'0';
        }
        rows << row;
    }
    return rows;
}

// Concentric squares centred on (cx, cy): dark where the ring's distance is in `darkRings`.
bool concentric(const QStringList& m, int cx, int cy, int radius, QList<int> darkRings) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if ((m[cy + dy][cx + dx] == u'1') != darkRings.contains(qMax(qAbs(dx), qAbs(dy))))
                return false;
    return true;
}

int bits(const QStringList& m, const QList<QPoint>& places) {
    int value = 0;
    for (const QPoint& p : places)
        value = value << 1 | (m[p.y()][p.x()] == u'1');
    return value;
}

} // namespace

class TestQrModel1 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printsTheSymbol_data();
    void printsTheSymbol();
    void tooLongPrintsNothing_data();
    void tooLongPrintsNothing();
};

void TestQrModel1::printsTheSymbol_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("level"); // 48 L .. 51 H
    QTest::addColumn<int>("dots");
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("golden"); // module rows a decoder read as this model 1 symbol
    QTest::newRow("bytes, L") << QByteArray("posling") << 48 << 3 << 1 << "posling-L";
    QTest::newRow("alphanumeric, M") << QByteArray("POSLING 1994") << 49 << 2 << 1 << "alnum-M";
    QTest::newRow("digits, Q") << QByteArray("0123456789").repeated(4) << 50 << 4 << 2 << "digits-Q";
    QTest::newRow("two blocks, M") << QByteArray("posling-").repeated(12) << 49 << 2 << 6 << "bytes-M";
    QTest::newRow("three blocks and unused codewords, H")
        << QByteArray("posling-").repeated(8) << 51 << 2 << 7 << "bytes-H";
    QTest::newRow("fullest version 12, L") << QByteArray(381, 'a') << 48 << 1 << 12 << QString();
    QTest::newRow("fullest version 12, H") << QByteArray(162, 'a') << 51 << 1 << 12 << QString();
}

void TestQrModel1::printsTheSymbol() {
    QFETCH(QByteArray, data);
    QFETCH(int, level);
    QFETCH(int, dots);
    QFETCH(int, version);
    QFETCH(QString, golden);
    const QImage paper = printed(model1(data, level, dots));
    const int size = 17 + 4 * version;
    QCOMPARE(inkBounds(paper).size(), QSize(size * dots, size * dots));
    const QStringList m = modules(paper, size, dots);

    const QList<int> finder{0, 1, 3};
    QVERIFY(concentric(m, 3, 3, 3, finder));
    QVERIFY(concentric(m, size - 4, 3, 3, finder));
    QVERIFY(concentric(m, 3, size - 4, 3, finder));
    QVERIFY(!concentric(m, size - 4, size - 4, 3, finder));
    if (version > 1) // where model 2 has its alignment pattern
        QVERIFY(!concentric(m, size - 7, size - 7, 2, {0, 2}));

    // Both copies of the format information; BCH(15,5) under model 1's XOR pattern.
    QList<QPoint> first, second;
    for (int i = 0; i <= 8; ++i)
        if (i != 6)
            first << QPoint(i, 8);
    for (int i = 7; i >= 0; --i)
        if (i != 6)
            first << QPoint(8, i);
    for (int i = 1; i <= 7; ++i)
        second << QPoint(8, size - i);
    for (int i = 8; i >= 1; --i)
        second << QPoint(size - i, 8);
    const int format = bits(m, first);
    QCOMPARE(bits(m, second), format);
    int remainder = format ^ 0x2825;
    for (int bit = 14; bit >= 10; --bit)
        if (remainder & (1 << bit))
            remainder ^= 0x537 << (bit - 10);
    QCOMPARE(remainder, 0);
    static constexpr int kLevelBits[] = {1, 0, 3, 2};
    QCOMPARE((format ^ 0x2825) >> 13, kLevelBits[level - 48]);

    if (golden.isEmpty())
        return;
    QFile file(QStringLiteral(POSLING_TEST_DATA "/qrmodel1/%1.txt").arg(golden));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(m, QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts));
}

void TestQrModel1::tooLongPrintsNothing_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::newRow("382 bytes at L") << model1(QByteArray(382, 'a'), 48, 1);
    QTest::newRow("163 bytes at H") << model1(QByteArray(163, 'a'), 51, 1);
}

void TestQrModel1::tooLongPrintsNothing() {
    QFETCH(QByteArray, stream);
    QVERIFY(inkBounds(printed(stream)).isEmpty());
}

QTEST_MAIN(TestQrModel1)
#include "tst_qrmodel1.moc"
