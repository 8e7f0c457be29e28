#include "opos/constantnames.h"
#include "opos/oposconstants.h"

#include <QTest>

class TestConstantNames : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsEveryKindOfConstant_data();
    void findsEveryKindOfConstant();
    void knowsNoOtherName_data();
    void knowsNoOtherName();
};

void TestConstantNames::findsEveryKindOfConstant_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint32>("value");
    QTest::newRow("first of the header") << "OPOS_S_CLOSED" << opos::OPOS_S_CLOSED;
    QTest::newRow("last of the header") << "CASH_SUE_DRAWEROPEN" << opos::CASH_SUE_DRAWEROPEN;
    QTest::newRow("station") << "PTR_S_RECEIPT" << opos::PTR_S_RECEIPT;
    QTest::newRow("negative") << "OPOS_FOREVER" << opos::OPOS_FOREVER;
    QTest::newRow("mixed case as declared") << "PTR_BCS_Code128" << opos::PTR_BCS_Code128;
    QTest::newRow("any case") << "ptr_bcs_CODE128_parsed" << opos::PTR_BCS_Code128_Parsed;
    QTest::newRow("hexadecimal in the header") << "PTR_RP_BARCODE" << opos::PTR_RP_BARCODE;
    QTest::newRow("alias of another value") << "PTR_BCS_JAN13" << opos::PTR_BCS_EAN13;
    QTest::newRow("extended printer code") << "OPOS_EPTR_COVER_OPEN" << opos::OPOS_EPTR_COVER_OPEN;
}

void TestConstantNames::findsEveryKindOfConstant() {
    QFETCH(QString, name);
    QFETCH(qint32, value);
    QCOMPARE(opos::constantValue(name), std::optional<qint32>(value));
    QVERIFY(opos::constantNames().contains(name, Qt::CaseInsensitive));
}

void TestConstantNames::knowsNoOtherName_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("misspelt") << "PTR_S_RECIEPT";
    QTest::newRow("part of a name") << "PTR_S";
    QTest::newRow("with blanks") << " PTR_S_RECEIPT";
    QTest::newRow("a namespace word") << "opos";
}

void TestConstantNames::knowsNoOtherName() {
    QFETCH(QString, name);
    QCOMPARE(opos::constantValue(name), std::nullopt);
}

QTEST_MAIN(TestConstantNames)
#include "tst_constantnames.moc"
