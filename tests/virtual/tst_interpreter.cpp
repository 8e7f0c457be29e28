#include "virtual/escposinterpreter.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace virt;

namespace {

// Records what the interpreter hands on, as text: "ESC @", "text:AB", "skip:1B 7F".
class RecordingSink : public CommandSink {
public:
    void printable(quint8 byte) override {
        if (events.isEmpty() || !events.last().startsWith(QLatin1String("text:")))
            events.append(QStringLiteral("text:"));
        events.last().append(QChar::fromLatin1(char(byte)));
    }
    void command(const CommandEntry& entry, const QByteArray& frame) override {
        events.append(QString::fromLatin1(entry.mnemonic));
        frames.append(frame);
    }
    void skipped(const QByteArray& bytes, SkipReason) override {
        events.append(QStringLiteral("skip:") + QString::fromLatin1(bytes.toHex(' ').toUpper()));
    }
    QStringList events;
    QList<QByteArray> frames;
};

} // namespace

class TestInterpreter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void framing_data();
    void framing();
    void splitAcrossWritesGivesSameFrames();
    void truncatedCommandAtEndIsCounted();
    void absurdSizesAreRefusedWithoutAllocating_data();
    void absurdSizesAreRefusedWithoutAllocating();
    void randomBytesNeverHangOrGrow();
};

void TestInterpreter::framing_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("events");

    auto list = [](std::initializer_list<const char*> items) {
        QStringList out;
        for (const char* item : items)
            out.append(QString::fromLatin1(item));
        return out;
    };
    QTest::newRow("text and LF") << QByteArray::fromHex("41420a") << list({"text:AB", "LF"});
    QTest::newRow("ESC @ then text") << QByteArray::fromHex("1b4041") << list({"ESC @", "text:A"});
    QTest::newRow("ESC ! takes one argument, even a control byte")
        << QByteArray::fromHex("1b210a41") << list({"ESC !", "text:A"});
    QTest::newRow("ESC p m t1 t2") << QByteArray::fromHex("1b700032fa41") << list({"ESC p", "text:A"});
    QTest::newRow("ESC W eight bytes")
        << QByteArray::fromHex("1b5700000000400290014a") << list({"ESC W", "text:J"});
    QTest::newRow("GS V function A") << QByteArray::fromHex("1d560041") << list({"GS V", "text:A"});
    QTest::newRow("GS V function B") << QByteArray::fromHex("1d56420341") << list({"GS V", "text:A"});
    QTest::newRow("GS k function A, NUL-terminated") << QByteArray::fromHex("1d6b0431323300"
                                                                            "41")
                                                     << list({"GS k", "text:A"});
    QTest::newRow("GS k function B carries its length")
        << QByteArray::fromHex("1d6b49047b4241000a") << list({"GS k", "LF"});
    QTest::newRow("GS ( k store, length from pL pH")
        << QByteArray::fromHex("1d286b050031503068690a") << list({"GS (", "LF"});
    QTest::newRow("GS v 0 raster consumes x*y bytes, even LF bytes") << QByteArray::fromHex("1d7630000100020"
                                                                                            "00a0a41")
                                                                     << list({"GS v", "text:A"});
    QTest::newRow("DLE EOT, DLE DC4")
        << QByteArray::fromHex("1004011014010001") << list({"DLE EOT", "DLE DC4"});
    QTest::newRow("unknown ESC pair is skipped with its second byte")
        << QByteArray::fromHex("1b7f41") << list({"skip:1B 7F", "text:A"});
    QTest::newRow("ESC followed by a control byte restarts there")
        << QByteArray::fromHex("1b0a41") << list({"skip:1B", "LF", "text:A"});
    QTest::newRow("unknown control byte") << QByteArray::fromHex("0141") << list({"skip:01", "text:A"});
    QTest::newRow("GS V with an unknown mode is refused")
        << QByteArray::fromHex("1d567741") << list({"skip:1D 56 77", "text:A"});
    QTest::newRow("ESC D list") << QByteArray::fromHex("1b44081000"
                                                       "41")
                                << list({"ESC D", "text:A"});
    // Two 8x8 images: each header counts its own x*y*8 bytes, LF bytes inside are data.
    QTest::newRow("FS q consumes every image it defines")
        << QByteArray::fromHex("1c7102 01000100 0a0a0a0a0a0a0a0a 01000100 4141414141414141 42")
        << list({"FS q", "text:B"});
    QTest::newRow("FS q with y beyond 288 is refused")
        << QByteArray::fromHex("1c7101 01002101 41") << list({"skip:1C 71 01 01 00 21 01", "text:A"});
}

void TestInterpreter::framing() {
    QFETCH(QByteArray, input);
    QFETCH(QStringList, events);
    RecordingSink sink;
    EscPosInterpreter interpreter(&sink);
    interpreter.feed(input);
    QCOMPARE(sink.events, events);
    QVERIFY(!interpreter.inCommand());
}

void TestInterpreter::splitAcrossWritesGivesSameFrames() {
    const QByteArray stream = QByteArray::fromHex("1b401b2108414243"
                                                  "0a1d6b49047b42414200"
                                                  "1d56420010040141");
    RecordingSink whole;
    EscPosInterpreter a(&whole);
    a.feed(stream);
    RecordingSink pieces;
    EscPosInterpreter b(&pieces);
    for (int i = 0; i < stream.size(); i += 3)
        b.feed(stream.mid(i, 3));
    QCOMPARE(pieces.events, whole.events);
    QCOMPARE(pieces.frames, whole.frames);
}

void TestInterpreter::truncatedCommandAtEndIsCounted() {
    RecordingSink sink;
    EscPosInterpreter interpreter(&sink);
    interpreter.feed(QByteArray::fromHex("1b5700000000")); // ESC W lacks four bytes
    QVERIFY(interpreter.inCommand());
    interpreter.finish();
    QCOMPARE(interpreter.truncatedCount(), 1);
    QVERIFY(!interpreter.inCommand());
    interpreter.feed(QByteArray::fromHex("410a"));
    QCOMPARE(sink.events.mid(sink.events.size() - 2),
             QStringList({QStringLiteral("text:A"), QStringLiteral("LF")}));
}

void TestInterpreter::absurdSizesAreRefusedWithoutAllocating_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("raster 65535 x 65535") << QByteArray::fromHex("1d763000ffffffff");
    QTest::newRow("raster width 0") << QByteArray::fromHex("1d763000000001 00");
    QTest::newRow("GS 8 L with 4 GB") << QByteArray::fromHex("1d384cffffffff");
    QTest::newRow("GS k unknown type") << QByteArray::fromHex("1d6b20");
    QTest::newRow("GS k function B with length 0") << QByteArray::fromHex("1d6b4900");
    QTest::newRow("ESC * with an unknown density") << QByteArray::fromHex("1b2a07ffff");
    QTest::newRow("FS q with 255 images of 1023 x 288") << QByteArray::fromHex("1c71ffff032001");
}

void TestInterpreter::absurdSizesAreRefusedWithoutAllocating() {
    QFETCH(QByteArray, header);
    RecordingSink sink;
    EscPosInterpreter interpreter(&sink);
    interpreter.feed(header);
    QCOMPARE(interpreter.refusedCount(), 1);
    QVERIFY(!interpreter.inCommand());
    interpreter.feed(QByteArray("Z"));
    QCOMPARE(sink.events.last(), QStringLiteral("text:Z"));
}

void TestInterpreter::randomBytesNeverHangOrGrow() {
    // Fixed seeds: a failure can be replayed.
    for (quint32 seed = 1; seed <= 20; ++seed) {
        QRandomGenerator random(seed);
        RecordingSink sink;
        EscPosInterpreter interpreter(&sink);
        qsizetype largest = 0;
        for (int i = 0; i < 20000; ++i) {
            // Bias towards command bytes so that many commands start.
            const quint32 r = random.bounded(8);
            const quint8 byte = r == 0 ? 0x1B : r == 1 ? 0x1D : r == 2 ? 0x10 : quint8(random.bounded(256));
            interpreter.feed(byte);
            largest = qMax(largest, interpreter.pendingBytes());
            if (sink.events.size() > 1000)
                sink.events.clear();
        }
        QVERIFY2(largest <= kMaxCommandData + 16, qPrintable(QString::number(largest)));
        interpreter.finish();
        QVERIFY(!interpreter.inCommand());
    }
}

QTEST_GUILESS_MAIN(TestInterpreter)
#include "tst_interpreter.moc"
