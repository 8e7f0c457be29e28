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
    QTest::addColumn<int>("units");
    QTest::addColumn<int>("dots");        // toDots(units)
    QTest::addColumn<int>("unitsPerDot"); // fromDots(1)
    QTest::newRow("dots") << PTR_MM_DOTS << 100 << 100 << 1;
    QTest::newRow("twips: one inch") << PTR_MM_TWIPS << 1440 << 203 << 7;
    QTest::newRow("twips round to nearest dot") << PTR_MM_TWIPS << 4 << 1 << 7;
    QTest::newRow("english: one inch") << PTR_MM_ENGLISH << 1000 << 203 << 5;
    QTest::newRow("metric: one millimetre") << PTR_MM_METRIC << 100 << 8 << 13;
    QTest::newRow("negative constants pass") << PTR_MM_METRIC << PTR_BC_CENTER << PTR_BC_CENTER << 13;
    QTest::newRow("huge values stay in range") << PTR_MM_TWIPS << 2147483647 << 302735542 << 7;
    QTest::newRow("invalid mode counts as dots") << 5 << 100 << 100 << 1;
}

void TestMapMode::convertsAtPrinterResolution() {
    QFETCH(int, mapMode);
    QFETCH(int, units);
    const MapModeScale scale(mapMode, 203);
    QTEST(scale.toDots(units), "dots");
    QTEST(scale.fromDots(1), "unitsPerDot");
    QCOMPARE(scale.fromDots(PTR_BM_ASIS), PTR_BM_ASIS);
}

void TestMapMode::validModes() {
    QCOMPARE(QList<bool>({MapModeScale::isValid(0), MapModeScale::isValid(PTR_MM_DOTS),
                          MapModeScale::isValid(PTR_MM_METRIC), MapModeScale::isValid(5)}),
             QList<bool>({false, true, true, false}));
    QCOMPARE(MapModeScale(5, 203).mapMode(), PTR_MM_DOTS);
}

QTEST_APPLESS_MAIN(TestMapMode)
#include "tst_mapmode.moc"
