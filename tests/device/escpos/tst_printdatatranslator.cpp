#include "device/escpos/printdatatranslator.h"
#include "opos/oposconstants.h"

#include <QtTest>

using namespace device;

namespace {

PrinterProfile profile80() {
    return *PrinterProfile::byId(QStringLiteral("80mm"));
}

QString esc(const char* text) {
    return QString::fromLatin1(text);
}

QByteArray hex(const char* bytes) {
    return QByteArray::fromHex(bytes);
}

QByteArray spaces(int count) {
    return QByteArray(count, ' ');
}

} // namespace

Q_DECLARE_METATYPE(device::DataValidity)

class TestPrintDataTranslator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void translate_data();
    void translate();
    void alignmentAfterTextIsPadded_data();
    void alignmentAfterTextIsPadded();
    void attributesLastAcrossCallsUntilLineFeed();
    void resetForgetsAttributes();
    void cutFollowsWhatTheCutterCanDo_data();
    void cutFollowsWhatTheCutterCanDo();
    void storedBitmaps();
    void hugeNumbersStayBounded();
    void baseFontIsSentWhenThePrinterLacksIt();
    void logosTranslateInPlace_data();
    void logosTranslateInPlace();
    void unitFeedFollowsMapMode();
    void validate_data();
    void validate();
};

void TestPrintDataTranslator::translate_data() {
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("characterSet");
    QTest::addColumn<QByteArray>("expected");
    auto row = [](const char* name, const QString& data, const char* hex, int characterSet = 437) {
        QTest::newRow(name) << data << characterSet << QByteArray::fromHex(hex);
    };
    // Feeds
    row("feed 10 lines", esc("\x1b|10lF"), "1b640a");
    row("feed lines default one", esc("\x1b|lF"), "1b6401");
    row("feed zero lines is nothing", esc("\x1b|0lF"), "");
    row("feed 300 lines split", esc("\x1b|300lF"), "1b64ff1b642d");
    row("feed dots", esc("\x1b|40uF"), "1b4a28");
    row("reverse feed prints the line first", esc("a\x1b|2rFb"), "611b650262");
    row("reverse feed default one", esc("\x1b|rF"), "1b6501");
    row("reverse feed cut down to the mechanism's", esc("\x1b|5rF"), "1b6502");

    // Per-line attributes and their reset right after the LF
    row("size 4 then reset", esc("\x1b|4CBig\n"),
        "1d2111426967"
        "0a1d2100");
    row("double wide", esc("\x1b|2Cx\n"), "1d2110780a1d2100");
    row("normal size needs no reset", esc("\x1b|1Cx\n"), "1d2100780a");
    row("size 5 dropped", esc("\x1b|5Cx"), "78");
    row("bold for one line", esc("\x1b|bCBold\nNext\n"),
        "1b4501426f6c64"
        "0a1b4500"
        "4e6578740a");
    row("bold switched off needs no reset", esc("\x1b|bC\x1b|!bCx\n"), "1b45011b4500780a");
    row("underline default one dot", esc("\x1b|uCu\n"), "1b2d01750a1b2d00");
    row("underline two dots", esc("\x1b|2uCu"), "1b2d0275");
    row("underline clamps to two", esc("\x1b|9uCu"), "1b2d0275");
    row("underline zero is off", esc("\x1b|uC\x1b|0uCu\n"), "1b2d011b2d00750a");
    row("reverse", esc("\x1b|rvCx\n"), "1d4201780a1d4200");
    row("red dropped on one-colour paper", esc("\x1b|rCx"), "78");
    row("shading dropped", esc("a\x1b|50sCb"), "6162");

    // Scale factors: each sequence sets the axes it names, the later one wins
    row("horizontal scale for one line", esc("\x1b|3hCx\n"), "1d2120780a1d2100");
    row("scale above 8 clamped", esc("\x1b|9hCx"), "1d217078");
    row("scale 0 or none dropped", esc("\x1b|0hC\x1b|vCx"), "78");
    row("double wide is single high again", esc("\x1b|3vC\x1b|2C"), "1d2102 1d2110");
    row("vertical scale keeps double wide", esc("\x1b|2C\x1b|3vC"), "1d2110 1d2112");
    row("normal size resets both axes", esc("\x1b|3hC\x1b|3vC\x1b|1C"), "1d2120 1d2122 1d2100");

    // Typeface: lasts until changed, not a line attribute
    row("typeface B then back to the base font", esc("\x1b|2fTb\x1b|0fTa"), "1b4d0162 1b4d0061");
    row("typeface past the list dropped", esc("\x1b|3fTx"), "78");
    row("typeface survives LF and normal", esc("\x1b|2fTa\n\x1b|Nb"),
        "1b4d01610a 1b4500 1b2d00 1d4200 1d2100 1b6100 62");
    row("centre", esc("\x1b|cAx\n"), "1b6101780a1b6100");
    row("right", esc("\x1b|rAx\n"), "1b6102780a1b6100");
    row("several attributes reset together", esc("\x1b|cA\x1b|bC\x1b|4Cx\n"),
        "1b61011b45011d2111780a1b45001d21001b6100");
    row("normal resets everything at once", esc("\x1b|bCa\x1b|Nb\n"),
        "1b450161"
        "1b45001b2d001d42001d21001b6100"
        "620a");
    row("no reset on an empty line", esc("\n\n"), "0a0a");
    row("CR before LF dropped", esc("Line 1\r\nLine 2\r\n"), "4c696e6520310a4c696e6520320a");
    row("CR before LF dropped after an escape", esc("\x1b|bCA\r\n\x1b|cA\r\n"),
        "1b4501410a1b4500 1b61010a1b6100");
    row("lone CR kept", esc("A\rB\n"), "410d420a");
    row("CR after a short escape dropped", esc("\x1b|N\r\n"), "1b4500 1b2d00 1d4200 1d2100 1b6100 0a");
    row("CR as a raw command's parameter kept", esc("\x1b\x64\r\n"), "1b640d0a");

    // Unknown, incomplete and raw
    row("unknown sequences dropped", esc("a\x1b|iCb\x1b|3qCc\x1b|tLd\x1b|!1Ce\x1b|2ZZf"),
        "6162636465"
        "5a66");
    row("raw ESC d passes", esc("\x1b\x64\x03"), "1b6403");
    row("raw ESC at end passes", esc("a\x1b"), "611b");
    row("raw GS passes", esc("\x1d\x21\x11X"), "1d211158");
    row("truncated ESC|", esc("\x1b|"), "");
    row("truncated after number", esc("\x1b|12"), "");
    row("truncated after letters", esc("ab\x1b|12lf"), "6162");
    row("broken sequence keeps what follows", esc("ab\x1b|12 cd"), "6162206364");
    row("broken by another sequence", esc("\x1b|\x1b|bCx"), "1b450178");
    row("broken by a bar", esc("\x1b||"), "7c");
    row("negated bold", esc("\x1b|!bC"), "1b4500");

    // Cuts
    row("cut full", esc("\x1b|P"), "1d564100");
    row("cut 100 percent", esc("\x1b|100P"), "1d564100");
    row("cut partial", esc("\x1b|50P"), "1d564200");
    row("cut 0 percent dropped", esc("\x1b|0P"), "");
    row("cut above 100 dropped", esc("\x1b|101P"), "");
    row("cut ends a pending line first", esc("Total\x1b|P"), "546f74616c0a1d564100");
    row("cut after LF adds no line", esc("T\n\x1b|P"), "540a1d564100");
    row("cut after raw feed adds no line", esc("\x1b\x64\x03\x1b|P"), "1b64031d564100");
    row("cut ends a bold line with its reset", esc("\x1b|bCT\x1b|P"), "1b4501540a1b45001d564100");
    row("feed then full cut ends a pending line first", esc("Total\x1b|fP"), "546f74616c0a1d564100");
    row("feed then partial cut", esc("\x1b|75fP"), "1d564200");
    row("feed then cut above 100 dropped", esc("\x1b|101fP"), "");

    // Text in the current character set
    row("text in 858", QStringLiteral("é€\x1b|bC€"), "82d51b4501d5", 858);
    row("text in 437", QStringLiteral("é€\x1b|bC€"), "823f1b45013f", 437);
    row("text in 866", QStringLiteral("Итог\n"), "88e2aea30a", 866);
    row("escaped 80 is the euro in 1252", QString(QChar(0x80)), "80", 1252);
}

void TestPrintDataTranslator::translate() {
    QFETCH(QString, data);
    QFETCH(int, characterSet);
    QFETCH(QByteArray, expected);
    PrintDataTranslator translator(profile80(), characterSet);
    QCOMPARE(translator.translate(data).toHex(' '), expected.toHex(' '));
}

void TestPrintDataTranslator::alignmentAfterTextIsPadded_data() {
    QTest::addColumn<QString>("profileId");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArray>("expected");
    auto row = [](const char* name, const char* data, const QByteArray& expected, const char* id = "80mm") {
        QTest::newRow(name) << QString::fromLatin1(id) << esc(data) << expected;
    };
    // 48 columns in font A on 80 mm, 64 in font B, 32 in font A on 58 mm.
    row("right", "Total:\x1b|rA9.99\n", "Total:" + spaces(38) + "9.99\n");
    row("centre in the space left", "Total:\x1b|cAx\n", "Total:" + spaces(20) + "x\n");
    row("58 mm line", "Total:\x1b|rA9.99\n", "Total:" + spaces(22) + "9.99\n", "58mm");
    row("font B line", "\x1bM\x01Total:\x1b|rA9.99\n", hex("1b4d01") + "Total:" + spaces(54) + "9.99\n");
    row("typeface B line", "\x1b|2fTTotal:\x1b|rA9.99\n", hex("1b4d01") + "Total:" + spaces(54) + "9.99\n");
    row("horizontal scale 3 counts three times", "\x1b|3hCAB:\x1b|rAC\n",
        hex("1d2120") + "AB:" + spaces(12) + "C" + hex("0a1d2100"));
    row("left and negated after text follow", "A\x1b|lAB\x1b|!rAC\n", "ABC\n");
    row("left at line start", "\x1b|lAx\n", hex("1b6100") + "x\n");
    row("too long to pad", "Total:\x1b|rA1234567890123456789012345678901234567890123\n",
        "Total:1234567890123456789012345678901234567890123\n");
    row("double-wide text counts twice", "\x1b|2CTotal:\x1b|rA9.99\n",
        hex("1d2110") + "Total:" + spaces(14) + "9.99" + hex("0a1d2100"));
    row("double-wide after the pad", "Total:\x1b|rA\x1b|2C9.99\n",
        "Total:" + spaces(34) + hex("1d2110") + "9.99" + hex("0a1d2100"));
    row("underline leaves the gap blank", "\x1b|uCTotal:\x1b|rA9.99\n",
        hex("1b2d01") + "Total:" + hex("1b2d00") + spaces(38) + hex("1b2d01") + "9.99" + hex("0a1b2d00"));
    row("centre then right", "A\x1b|cAB\x1b|rAC\n", "A" + spaces(23) + "B" + spaces(22) + "C\n");
    row("line ended by feed and cut", "Total:\x1b|rA9.99\x1b|fP",
        "Total:" + spaces(38) + "9.99" + hex("0a1d564100"));
    row("line ended by a feed", "Total:\x1b|rA9.99\x1b|2lF", "Total:" + spaces(38) + "9.99" + hex("1b6402"));
    row("line left open is not padded", "Total:\x1b|rA9.99", "Total:9.99");
}

void TestPrintDataTranslator::alignmentAfterTextIsPadded() {
    QFETCH(QString, profileId);
    QFETCH(QString, data);
    QFETCH(QByteArray, expected);
    PrintDataTranslator translator(*PrinterProfile::byId(profileId), 437);
    QCOMPARE(translator.translate(data), expected);
    // Nothing held over: the next line starts fresh.
    QCOMPARE(translator.translate(esc("\n\x1b|rAx\n")).toHex(), QByteArray("0a1b6102780a1b6100"));
}

void TestPrintDataTranslator::attributesLastAcrossCallsUntilLineFeed() {
    PrintDataTranslator translator(profile80(), 437);
    QCOMPARE(translator.translate(esc("\x1b|bC\x1b|2uCx")).toHex(), QByteArray("1b45011b2d0278"));
    QCOMPARE(translator.translate(esc("y\n")).toHex(), QByteArray("790a1b45001b2d00"));
    QCOMPARE(translator.translate(esc("z\n")).toHex(), QByteArray("7a0a"));
    // A pending line from an earlier call still gets flushed before a cut.
    translator.translate(esc("abc"));
    QCOMPARE(translator.translate(esc("\x1b|P")).toHex(), QByteArray("0a1d564100"));
    translator.setCharacterSet(858);
    QCOMPARE(translator.translate(QStringLiteral("€")).toHex(), QByteArray("d5"));
}

void TestPrintDataTranslator::resetForgetsAttributes() {
    PrintDataTranslator translator(profile80(), 437);
    translator.translate(esc("\x1b|4Cbig"));
    translator.reset();
    QCOMPARE(translator.translate(esc("\n\x1b|P")).toHex(), QByteArray("0a1d564100"));
}

void TestPrintDataTranslator::cutFollowsWhatTheCutterCanDo_data() {
    QTest::addColumn<bool>("hasCutter");
    QTest::addColumn<bool>("hasPartialCut");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("no cutter: cut ignored") << false << false << esc("\x1b|P") << QByteArray();
    QTest::newRow("no cutter: feed only")
        << false << false << esc("\x1b|fP") << QByteArray::fromHex("1b6405");
    QTest::newRow("full cutter only: partial becomes full")
        << true << false << esc("\x1b|50P") << QByteArray::fromHex("1d564100");
    QTest::newRow("full cutter only: feed and full")
        << true << false << esc("\x1b|50fP") << QByteArray::fromHex("1d564100");
}

void TestPrintDataTranslator::cutFollowsWhatTheCutterCanDo() {
    QFETCH(bool, hasCutter);
    QFETCH(bool, hasPartialCut);
    QFETCH(QString, data);
    PrinterProfile profile = profile80();
    profile.hasCutter = hasCutter;
    profile.hasPartialCut = hasPartialCut;
    PrintDataTranslator translator(profile, 437);
    QTEST(translator.translate(data), "expected");
}

void TestPrintDataTranslator::storedBitmaps() {
    PrintDataTranslator translator(profile80(), 437);
    QCOMPARE(translator.translate(esc("\x1b|1B")), QByteArray()); // no source yet

    QList<int> asked;
    translator.setBitmapSource([&asked](int number) -> std::optional<QByteArray> {
        asked << number;
        if (number == 1)
            return QByteArray::fromHex("1d7630000100010080");
        return std::nullopt;
    });
    QCOMPARE(translator.translate(esc("a\x1b|1B")).toHex(), QByteArray("610a1d7630000100010080"));
    QCOMPARE(translator.translate(esc("\x1b|2Bb")).toHex(), QByteArray("62"));
    QCOMPARE(translator.translate(esc("\x1b|Bc\x1b|!1B")).toHex(), QByteArray("63"));
    QCOMPARE(asked, QList<int>({1, 2}));
}

void TestPrintDataTranslator::hugeNumbersStayBounded() {
    PrintDataTranslator translator(profile80(), 437);
    const QByteArray bytes = translator.translate(esc("\x1b|99999999999999999999lF"));
    QVERIFY(bytes.startsWith(QByteArray::fromHex("1b64ff")));
    QVERIFY2(bytes.size() < 2000, QByteArray::number(bytes.size()));
    QCOMPARE(translator.translate(esc("\x1b|99999999999999999999uC")).toHex(), QByteArray("1b2d02"));
}

void TestPrintDataTranslator::baseFontIsSentWhenThePrinterLacksIt() {
    PrintDataTranslator translator(profile80(), 437);
    translator.setBaseFont(1);
    QCOMPARE(translator.translate(esc("a")).toHex(), QByteArray("1b4d0161"));
    QCOMPARE(translator.translate(esc("b")).toHex(), QByteArray("62"));
    // ESC|0fT goes back to the base font, not to font A.
    QCOMPARE(translator.translate(esc("\x1b|1fTc\x1b|0fTd")).toHex(), QByteArray("1b4d00631b4d0164"));
    // The printer was initialised: font A there, so the base font goes out again.
    translator.reset();
    QCOMPARE(translator.translate(esc("e")).toHex(), QByteArray("1b4d0165"));
    // A typeface chosen before a reset is restored after it.
    translator.translate(esc("\x1b|1fT"));
    translator.reset();
    QCOMPARE(translator.translate(esc("f")).toHex(), QByteArray("66"));
}

void TestPrintDataTranslator::logosTranslateInPlace_data() {
    QTest::addColumn<QString>("topLogo");
    QTest::addColumn<QString>("bottomLogo");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("top logo") << esc("\x1b|cALOGO\n") << QString() << esc("\x1b|tLText\n")
                              << hex("1b6101") + "LOGO" + hex("0a1b6100") + "Text\n";
    QTest::newRow("bottom logo") << QString() << esc("\x1b|bCEnd\n") << esc("x\n\x1b|bL")
                                 << "x\n" + hex("1b4501") + "End" + hex("0a1b4500");
    QTest::newRow("a logo's own logos are dropped")
        << esc("A\x1b|tL\x1b|bLB") << esc("C") << esc("\x1b|tL") << QByteArray("AB");
}

void TestPrintDataTranslator::logosTranslateInPlace() {
    QFETCH(QString, topLogo);
    QFETCH(QString, bottomLogo);
    QFETCH(QString, data);
    PrintDataTranslator translator(profile80(), 437);
    translator.setLogoSource([&](int location) {
        return location == PrintDataTranslator::TopLogo      ? topLogo
               : location == PrintDataTranslator::BottomLogo ? bottomLogo
                                                             : QStringLiteral("?");
    });
    QTEST(translator.translate(data), "expected");
}

void TestPrintDataTranslator::unitFeedFollowsMapMode() {
    PrintDataTranslator translator(profile80(), 437);
    translator.setMapMode(MapModeScale(opos::PTR_MM_METRIC, 203));
    // 10 mm at 8 dots a millimetre, less the 203 dpi's shortfall: 79.9 dots.
    QCOMPARE(translator.translate(esc("\x1b|1000uF")).toHex(), QByteArray("1b4a50"));
    translator.setMapMode(MapModeScale(opos::PTR_MM_TWIPS, 203));
    QCOMPARE(translator.translate(esc("\x1b|uF")).toHex(), QByteArray()); // 1 twip rounds to no dot
}

void TestPrintDataTranslator::validate_data() {
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("characterSet");
    QTest::addColumn<QString>("profileChange");
    QTest::addColumn<DataValidity>("expected");
    auto row = [](const char* name, const QString& data, DataValidity expected, int characterSet = 437,
                  const char* profileChange = "") {
        QTest::newRow(name) << data << characterSet << QString::fromLatin1(profileChange) << expected;
    };
    using V = DataValidity;
    row("text, attributes, feeds, cut, raw bytes",
        esc("\x1b|bC\x1b|2uC\x1b|rvC\x1b|4C\x1b|3hC\x1b|cA\x1b|2fTx\n\x1b|3lF\x1b|2rF\x1b|NAbc?"
            "\x1b\x64\x02\x1b|fP"),
        V::Supported);
    row("euro in 858", QStringLiteral("€"), V::Supported, 858);
    row("red on two-colour paper", esc("\x1b|rCx"), V::Supported, 437, "twoColour");
    row("underline thicker than two dots", esc("\x1b|3uCx"), V::Approximated);
    row("reverse feed beyond the mechanism", esc("\x1b|3rF"), V::Approximated);
    row("partial cut on a full cutter", esc("\x1b|50P"), V::Approximated, 437, "fullCutOnly");
    row("feed and cut without a cutter", esc("\x1b|fP"), V::Approximated, 437, "noCutter");
    row("cut without a cutter", esc("\x1b|P"), V::Unsupported, 437, "noCutter");
    row("reverse feed without the mechanism", esc("\x1b|rF"), V::Unsupported, 437, "noReverseFeed");
    row("italic, worse than an approximation", esc("\x1b|3uC\x1b|iCx"), V::Unsupported);
    row("red on one-colour paper", esc("\x1b|rCx"), V::Unsupported);
    row("stamps", esc("\x1b|sL\x1b|sP"), V::Unsupported);
    row("unknown sequence", esc("\x1b|3qC"), V::Unsupported);
    row("malformed sequence", esc("\x1b|12 x"), V::Unsupported);
    row("typeface past the list", esc("\x1b|3fT"), V::Unsupported);
    row("bitmap not stored", esc("\x1b|1B"), V::Unsupported);
    row("euro in 437", QStringLiteral("x€"), V::Unsupported);
}

void TestPrintDataTranslator::validate() {
    QFETCH(QString, data);
    QFETCH(int, characterSet);
    QFETCH(QString, profileChange);
    PrinterProfile profile = profile80();
    profile.twoColour = profileChange == u"twoColour";
    profile.hasCutter = profileChange != u"noCutter";
    profile.hasPartialCut = profileChange != u"fullCutOnly";
    if (profileChange == u"noReverseFeed")
        profile.maxReverseFeedLines = 0;
    PrintDataTranslator translator(profile, characterSet);
    QTEST(translator.validate(data), "expected");
    // Validating prints nothing: no attribute of the data is left on the line.
    QCOMPARE(translator.translate(esc("x\n")), QByteArray("x\n"));
}

QTEST_APPLESS_MAIN(TestPrintDataTranslator)
#include "tst_printdatatranslator.moc"
