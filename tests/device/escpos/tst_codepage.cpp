#include "device/escpos/codepage.h"

#include <QtTest>

using namespace device;

class TestCodePage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encode_data();
    void encode();
    void supportedPages_data();
    void supportedPages();
    void alternatingPagesGiveStableResults();
    void longTextWithGapsKeepsEveryCharacter();
    void decode_data();
    void decode();
    void decodedBytesEncodeBack_data();
    void decodedBytesEncodeBack();
};

void TestCodePage::encode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("expected");
    auto row = [](const char* name, const QString& text, int page, const char* hex) {
        QTest::newRow(name) << text << page << QByteArray::fromHex(hex);
    };
    const QString accents = QStringLiteral("é ü €");
    row("accents and euro in 858", accents, 858, "82208120d5");
    row("euro missing in 437", accents, 437, "822081203f");
    row("accents and euro in 1252", accents, 1252, "e920fc2080");
    row("Greek and sharp s in 437", QStringLiteral("Σß"), 437, "e4e1");
    row("Cyrillic in 866", QStringLiteral("Привет"), 866, "8fe0a8a2a5e2");
    row("Cyrillic missing in 1252", QStringLiteral("Да"), 1252, "3f3f");
    row("Polish l in 852", QStringLiteral("ł"), 852, "88");
    row("ASCII only in 998", QStringLiteral("Ab1 é€"), 998, "416231203f3f");
    row("unsupported page falls back to ASCII", QStringLiteral("Aé"), 999, "413f");
    row("control bytes pass in 437",
        QStringLiteral("\x1b\x64\x03"
                       "A\r\n"),
        437,
        "1b640341"
        "0d0a");
    row("control bytes pass in 866", QStringLiteral("\x1b\x74\x11\x10\x04\x01"), 866, "1b7411100401");
    row("U+0080 is the euro in 1252", QString(QChar(0x80)), 1252, "80");
    row("U+0080 is the euro in 858", QString(QChar(0x80)), 858, "d5");
    row("U+0080 has no euro in 437", QString(QChar(0x80)), 437, "3f");
    row("U+0093 is a left quote in 1252", QString(QChar(0x93)), 1252, "93");
    row("U+0081 undefined in 1252", QString(QChar(0x81)), 1252, "3f");
    row("escaped E9 is e acute in 437", QString(QChar(0xE9)), 437, "82");
    row("non-BMP is one question mark", QStringLiteral("a\U0001F600b"), 858, "613f62");
    row("lone high surrogate", QString(QChar(0xD83D)) + u'x', 437, "3f78");
    row("lone low surrogate at end", QStringLiteral("x") + QChar(0xDE00), 1252, "783f");
    row("unmappable between mappable", QStringLiteral("a€b€c"), 437, "613f623f63");
    row("empty", QString(), 437, "");
}

void TestCodePage::encode() {
    QFETCH(QString, text);
    QFETCH(int, codePage);
    QFETCH(QByteArray, expected);
    QCOMPARE(CodePageConverter::encode(text, codePage).toHex(' '), expected.toHex(' '));
}

void TestCodePage::supportedPages_data() {
    QTest::addColumn<int>("codePage");
    QTest::addColumn<bool>("supported");
    for (int page : {437, 850, 852, 858, 866, 998, 1252})
        QTest::addRow("%d", page) << page << true;
    for (int page : {0, 997, 999, 1250, 65001})
        QTest::addRow("%d", page) << page << false;
}

void TestCodePage::supportedPages() {
    QFETCH(int, codePage);
    QTEST(CodePageConverter::isSupported(codePage), "supported");
}

void TestCodePage::alternatingPagesGiveStableResults() {
    // Cached descriptors must not carry state from one call into the next.
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(CodePageConverter::encode(u"€Д", 437), QByteArray("??"));
        QCOMPARE(CodePageConverter::encode(u"€Д", 866).toHex(), QByteArray("3f84"));
        QCOMPARE(CodePageConverter::encode(u"€Д", 858).toHex(), QByteArray("d53f"));
    }
}

void TestCodePage::longTextWithGapsKeepsEveryCharacter() {
    QString text;
    QByteArray expected;
    for (int i = 0; i < 2000; ++i) {
        text += QStringLiteral("é€\n");
        expected += QByteArray::fromHex("823f0a");
    }
    QCOMPARE(CodePageConverter::encode(text, 437), expected);
}

void TestCodePage::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* hex, int page, const QString& text) {
        QTest::newRow(name) << QByteArray::fromHex(hex) << page << text;
    };
    const QString undefined = QString(QChar(char16_t(CodePageConverter::Undefined)));
    row("80 in 437 is C cedilla", "80", 437, QStringLiteral("Ç"));
    row("FF in 437 is no-break space", "ff", 437, QString(QChar(0xA0)));
    row("D5 in 850 is dotless i", "d5", 850, QStringLiteral("ı"));
    row("D5 in 858 is the euro", "d5", 858, QStringLiteral("€"));
    row("88 in 852 is Polish l", "88", 852, QStringLiteral("ł"));
    row("80 in 866 is Cyrillic A", "80", 866, QStringLiteral("А"));
    row("Cyrillic word in 866", "8fe0a8a2a5e2", 866, QStringLiteral("Привет"));
    row("80 in 1252 is the euro", "80", 1252, QStringLiteral("€"));
    row("E9 in 1252 is e acute", "e9", 1252, QStringLiteral("é"));
    row("81 in 1252 is undefined", "81", 1252, undefined);
    row("9D in 1252 is undefined", "9d", 1252, undefined);
    row("upper half undefined in 998", "4180", 998, QStringLiteral("A") + undefined);
    row("unsupported page reads as ASCII", "41e9", 999, QStringLiteral("A") + undefined);
    row("empty", "", 437, QString());
    // Control bytes and ASCII read as themselves whatever the page.
    for (int page : {437, 850, 852, 858, 866, 1252, 998})
        QTest::addRow("ASCII and controls in %d", page)
            << QByteArray::fromHex("1b740041207e7f0d0a") << page << QStringLiteral("\x1bt\0A ~\x7f\r\n");
}

void TestCodePage::decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, codePage);
    QFETCH(QString, expected);
    QCOMPARE(CodePageConverter::decode(bytes, codePage), expected);
}

void TestCodePage::decodedBytesEncodeBack_data() {
    QTest::addColumn<int>("codePage");
    for (int page : {437, 850, 852, 858, 866, 1252})
        QTest::addRow("%d", page) << page;
}

void TestCodePage::decodedBytesEncodeBack() {
    // Both directions come from the same converter: every defined byte must survive the round trip.
    QFETCH(int, codePage);
    int defined = 0;
    for (int byte = 0; byte < 256; ++byte) {
        const char32_t c = CodePageConverter::decodeByte(quint8(byte), codePage);
        if (c == CodePageConverter::Undefined)
            continue;
        ++defined;
        const char32_t units[] = {c};
        const QString text = QString::fromUcs4(units, 1);
        QCOMPARE(CodePageConverter::encode(text, codePage).toHex(), QByteArray(1, char(byte)).toHex());
    }
    QCOMPARE_GE(defined, 251); // 1252 leaves five codes undefined, the DOS pages none
}

QTEST_APPLESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
