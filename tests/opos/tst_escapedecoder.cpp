#include "opos/escapedecoder.h"

#include <QTest>

#include <string_view>

using namespace std::string_view_literals;

class TestEscapeDecoder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodes_data();
    void decodes();
    void longText();
};

namespace {

// Expected texts may hold code 0, so they are written as UTF-16 views with their full length.
QString text(std::u16string_view chars) {
    return QString::fromUtf16(chars.data(), qsizetype(chars.size()));
}

} // namespace

void TestEscapeDecoder::decodes_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("decoded");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("no backslash") << "Print me, please."
                                  << "Print me, please.";
    QTest::newRow("line feed at the end") << "Type something here\\0a" << text(u"Type something here\n"sv);
    QTest::newRow("two escapes") << "\\41\\42"
                                 << "AB";
    QTest::newRow("CR LF between letters") << "A\\0d\\0aB" << text(u"A\r\nB"sv);
    QTest::newRow("one-shot escape") << "\\1B|4C" << text(u"\x1b|4C"sv);
    QTest::newRow("code 0 does not end the text") << "a\\00b" << text(u"a\0b"sv);
    QTest::newRow("highest code") << "\\FF" << text(u"\u00ff"sv);
    QTest::newRow("other characters pass") << "\u00e9\\41\u20ac"
                                           << "\u00e9A\u20ac";

    // Upper and lower case digits.
    QTest::newRow("1B") << "\\1B" << text(u"\x1b"sv);
    QTest::newRow("1b") << "\\1b" << text(u"\x1b"sv);
    QTest::newRow("fF") << "\\fF" << text(u"\u00ff"sv);
    QTest::newRow("Ab") << "\\Ab" << text(u"\u00ab"sv);

    // A produced backslash starts a new escape with what follows it.
    QTest::newRow("5C41") << "\\5C41"
                          << "A";
    QTest::newRow("5c41") << "\\5c41"
                          << "A";
    QTest::newRow("5C5C41 twice over") << "\\5C5C41"
                                       << "A";
    QTest::newRow("produced backslash takes a backslash") << "\\5C\\5C41" << text(u"\0C41"sv);
    QTest::newRow("only 5C and two digits") << "\\5C7e"
                                            << "~";

    // Non-digits end the number and are consumed all the same.
    QTest::newRow("xy") << "a\\xyb" << text(u"a\0b"sv);
    QTest::newRow("ZZ") << "\\ZZ" << text(u"\0"sv);
    QTest::newRow("4G") << "\\4G" << text(u"\x04"sv);
    QTest::newRow("G4") << "\\G4" << text(u"\0"sv);
    QTest::newRow("blank then 7") << "\\ 7" << text(u"\x07"sv);
    QTest::newRow("7 then blank") << "\\7 " << text(u"\x07"sv);
    QTest::newRow("tab then A") << "\\\tA" << text(u"\x0a"sv);
    QTest::newRow("line feed then 1") << "\\\n1" << text(u"\x01"sv);
    QTest::newRow("backslash after backslash") << "\\\\41"
                                               << text(u"\0"
                                                       u"1"sv);

    // Fewer than two characters after a backslash: copied unchanged.
    QTest::newRow("lone backslash") << "\\"
                                    << "\\";
    QTest::newRow("trailing backslash") << "abc\\"
                                        << "abc\\";
    QTest::newRow("backslash and one character") << "abc\\4"
                                                 << "abc\\4";
    QTest::newRow("escape then trailing backslash") << "\\41\\"
                                                    << "A\\";
    QTest::newRow("5C at the end") << "ab\\5C"
                                   << "ab\\";
    QTest::newRow("5C and one character") << "\\5C4"
                                          << "\\4";
}

void TestEscapeDecoder::decodes() {
    QFETCH(QString, typed);
    QFETCH(QString, decoded);
    const QString before = typed;
    QCOMPARE(opos::decodeEscapes(typed), decoded);
    QCOMPARE(typed, before);
}

void TestEscapeDecoder::longText() {
    QString typed;
    QString decoded;
    for (int i = 0; i < 25000; ++i) {
        typed += QStringLiteral("\\5C41");
        decoded += QLatin1Char('A');
    }
    typed += QStringLiteral("end\\");
    decoded += QStringLiteral("end\\");
    QCOMPARE(typed.size(), 125004);
    QCOMPARE(opos::decodeEscapes(typed), decoded);

    const QString plain(100000, QLatin1Char('x'));
    QCOMPARE(opos::decodeEscapes(plain), plain);
}

QTEST_APPLESS_MAIN(TestEscapeDecoder)
#include "tst_escapedecoder.moc"
