#include "device/escpos/mapmode.h"
#include "opos/oposconstants.h"

#include <QtTest>

using namespace device;
using namespace opos;

class TestMapMode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void convertsAtPrinterResolution_data();
    void convertsAtPrinterResolution();
    void validModes();
};

void TestMapMode::convertsAtPrinterResolution_data() {
    QTest::addColumn<int>("mapMode");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("units");
    QTest::addColumn<int>("dots");        // toDots(units)
    QTest::addColumn<int>("unitsPerDot"); // fromDots(1)
    QTest::newRow("dots") << PTR_MM_DOTS << 203 << 100 << 100 << 1;
    QTest::newRow("twips: one inch") << PTR_MM_TWIPS << 203 << 1440 << 203 << 7;
    QTest::newRow("twips round to nearest dot") << PTR_MM_TWIPS << 203 << 4 << 1 << 7;
    QTest::newRow("twips below half a dot") << PTR_MM_TWIPS << 203 << 3 << 0 << 7;
    QTest::newRow("english: one inch") << PTR_MM_ENGLISH << 203 << 1000 << 203 << 5;
    QTest::newRow("metric: one millimetre") << PTR_MM_METRIC << 203 << 100 << 8 << 13;
    QTest::newRow("metric at 180 dpi") << PTR_MM_METRIC << 180 << 2540 << 180 << 14;
    QTest::newRow("negative constants pass") << PTR_MM_METRIC << 203 << PTR_BC_CENTER << PTR_BC_CENTER << 13;
    QTest::newRow("huge values stay in range") << PTR_MM_TWIPS << 203 << 2147483647 << 302735542 << 7;
    QTest::newRow("invalid mode counts as dots") << 5 << 203 << 100 << 100 << 1;
}

void TestMapMode::convertsAtPrinterResolution() {
    QFETCH(int, mapMode);
    QFETCH(int, dpi);
    QFETCH(int, units);
    const MapModeScale scale(mapMode, dpi);
    QTEST(scale.toDots(units), "dots");
    QTEST(scale.fromDots(1), "unitsPerDot");
    QCOMPARE(scale.fromDots(PTR_BM_ASIS), PTR_BM_ASIS);
    // A size converted to dots and back lands within one dot of where it started.
    const int back = scale.fromDots(scale.toDots(1000));
    QVERIFY2(std::abs(back - 1000) <= scale.fromDots(1), qPrintable(QString::number(back)));
}

void TestMapMode::validModes() {
    QVERIFY(!MapModeScale::isValid(0));
    for (qint32 mode : {PTR_MM_DOTS, PTR_MM_TWIPS, PTR_MM_ENGLISH, PTR_MM_METRIC})
        QVERIFY(MapModeScale::isValid(mode));
    QVERIFY(!MapModeScale::isValid(5));
    QCOMPARE(MapModeScale(5, 203).mapMode(), PTR_MM_DOTS);
    QCOMPARE(MapModeScale(PTR_MM_ENGLISH, 203).mapMode(), PTR_MM_ENGLISH);
}

QTEST_APPLESS_MAIN(TestMapMode)
#include "tst_mapmode.moc"
