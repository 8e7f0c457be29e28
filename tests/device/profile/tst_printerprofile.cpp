#include "device/profile/printerprofile.h"

#include <QtTest>

using namespace device;

class TestPrinterProfile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void values_data();
    void values();
    void unknownIdHasNoProfile();
    void everyListedCharacterSetHasATable();
};

void TestPrinterProfile::values_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("lineWidth");
    QTest::addColumn<QString>("lineCharsList");
    QTest::addColumn<int>("sidewaysLines");
    QTest::addColumn<int>("sidewaysChars");
    QTest::addColumn<QString>("description");
    QTest::newRow("80mm") << "80mm" << 576 << "48,64" << 19 << 100
                          << "80 mm thermal receipt printer, 203 dpi";
    QTest::newRow("58mm") << "58mm" << 384 << "32,42" << 12 << 100
                          << "58 mm thermal receipt printer, 203 dpi";
}

void TestPrinterProfile::values() {
    QFETCH(QString, id);
    const std::optional<PrinterProfile> profile = PrinterProfile::byId(id);
    QVERIFY(profile);
    QCOMPARE(profile->id, id);
    QTEST(profile->description, "description");
    QTEST(profile->lineWidthDots, "lineWidth");
    QTEST(profile->maxBitmapWidthDots, "lineWidth");
    QTEST(profile->lineCharsList(), "lineCharsList");
    QTEST(profile->sidewaysMaxLines, "sidewaysLines");
    QTEST(profile->sidewaysMaxChars, "sidewaysChars");
    QCOMPARE(profile->characterSetList(), QStringLiteral("437,850,852,858,866,998,1252"));
    QCOMPARE(profile->defaultCharacterSet, 437);
    QCOMPARE(profile->lineHeightDots(), 24);
    QCOMPARE(profile->lineSpacingDots, 30);
    QCOMPARE(profile->linesToPaperCut, 5);
    QCOMPARE(profile->fonts.first().name, QStringLiteral("Font A"));
    QCOMPARE(profile->fonts.at(1).name, QStringLiteral("Font B"));
    QCOMPARE(profile->fontTypefaceList(), QStringLiteral("Font A,Font B"));
    // Every font's characters must fit the line.
    for (const PrinterFont& font : profile->fonts)
        QVERIFY2(font.lineChars * font.cellWidth <= profile->lineWidthDots, qPrintable(font.name));
    QVERIFY(profile->hasCutter && profile->hasPartialCut);
    QVERIFY(profile->coverSensor && profile->emptySensor && profile->nearEndSensor);
}

void TestPrinterProfile::unknownIdHasNoProfile() {
    QVERIFY(!PrinterProfile::byId(QStringLiteral("112mm")));
    QVERIFY(!PrinterProfile::byId(QString()));
}

void TestPrinterProfile::everyListedCharacterSetHasATable() {
    const QMap<int, int> expected{{437, 0}, {850, 2}, {852, 18}, {858, 19}, {866, 17}, {998, 0}, {1252, 16}};
    for (const QString& id : PrinterProfile::knownIds()) {
        const PrinterProfile profile = *PrinterProfile::byId(id);
        QCOMPARE(profile.escTForCharacterSet, expected);
        QVERIFY(profile.characterSets.contains(profile.defaultCharacterSet));
    }
}

QTEST_APPLESS_MAIN(TestPrinterProfile)
#include "tst_printerprofile.moc"
