#include "opos/typednumber.h"

#include <QTest>

#include <limits>

class TestTypedNumber : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reads_data();
    void reads();
};

namespace {

constexpr qint32 minInt = std::numeric_limits<qint32>::min();
constexpr qint32 maxInt = std::numeric_limits<qint32>::max();

} // namespace

void TestTypedNumber::reads_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint32>("value");

    QTest::newRow("plain") << "42" << true << 42;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("minus") << "-7" << true << -7;
    QTest::newRow("minus zero") << "-0" << true << 0;
    QTest::newRow("blanks around") << "  42 " << true << 42;
    QTest::newRow("tabs around") << "\t-3\t" << true << -3;

    // Halves go to the even neighbour; anything past the half goes up.
    QTest::newRow("0.5") << "0.5" << true << 0;
    QTest::newRow("1.5") << "1.5" << true << 2;
    QTest::newRow("2.5") << "2.5" << true << 2;
    QTest::newRow("3.5") << "3.5" << true << 4;
    QTest::newRow("-2.5") << "-2.5" << true << -2;
    QTest::newRow("-3.5") << "-3.5" << true << -4;
    QTest::newRow("2.50001") << "2.50001" << true << 3;
    QTest::newRow("2.4999") << "2.4999" << true << 2;
    QTest::newRow("-0.6") << "-0.6" << true << -1;
    QTest::newRow(".5") << ".5" << true << 0;
    QTest::newRow("5.") << "5." << true << 5;

    // The 32-bit range, also after rounding.
    QTest::newRow("max") << "2147483647" << true << maxInt;
    QTest::newRow("min") << "-2147483648" << true << minInt;
    QTest::newRow("max + 1") << "2147483648" << false << 0;
    QTest::newRow("min - 1") << "-2147483649" << false << 0;
    QTest::newRow("rounds past max") << "2147483647.5" << false << 0;
    QTest::newRow("rounds to max") << "2147483646.5" << true << 2147483646;
    QTest::newRow("half below min stays") << "-2147483648.5" << true << minInt;
    QTest::newRow("many digits") << "99999999999999999999999" << false << 0;

    // Not a number.
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("point only") << "." << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("trailing letters") << "12abc" << false << 0;
    QTest::newRow("blank inside") << "1 2" << false << 0;
    QTest::newRow("two signs") << "--1" << false << 0;
    QTest::newRow("two points") << "1.2.3" << false << 0;
}

void TestTypedNumber::reads() {
    QFETCH(QString, typed);
    QFETCH(bool, valid);
    QFETCH(qint32, value);
    const std::optional<qint32> read = opos::parseTypedNumber(typed);
    QCOMPARE(read.has_value(), valid);
    if (valid)
        QCOMPARE(*read, value);
}

QTEST_APPLESS_MAIN(TestTypedNumber)
#include "tst_typednumber.moc"
