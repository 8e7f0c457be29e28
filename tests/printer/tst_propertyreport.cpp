#include "common/fakeposprinter.h"
#include "common/windowtesting.h"
#include "printer/frmprinter.h"
#include "printer/propertyreport.h"

#include <QAbstractButton>
#include <QFile>
#include <QTest>

namespace {

// The values the golden call log was written for: both kinds of Boolean, a negative number,
// empty strings, encoded version numbers.
void setReportValues(FakePosPrinter& fake) {
    const QVariantHash values = {
        {"ControlObjectDescription", "Posling POS printer control"},
        {"ControlObjectVersion", 1008000},
        {"ServiceObjectDescription", ""},
        {"ServiceObjectVersion", 1008010},
        {"DeviceDescription", "Virtual 80 mm receipt printer"},
        {"DeviceName", "Z901"},
        {"FreezeEvents", true},
        {"State", 2},
        {"CapCharacterSet", 998},
        {"CapRecPresent", true},
        {"CapRecBarCode", true},
        {"CapRecBitmap", true},
        {"CapRecBold", true},
        {"CapRecPapercut", true},
        {"CapCoverSensor", true},
        {"CharacterSet", 437},
        {"CharacterSetList", "437,850,998"},
        {"ErrorLevel", 1},
        {"ErrorStation", -2},
        {"RecLetterQuality", true},
        {"RecLineChars", 42},
        {"RecLineCharsList", "42,56"},
        {"RecLineHeight", 24},
        {"RecLineSpacing", 30},
        {"RecLineWidth", 512},
        {"RecNearEnd", true},
        {"RecSidewaysMaxChars", 30},
        {"RecSidewaysMaxLines", 21},
        {"RecBarCodeRotationList", "0,R90"},
        {"RecLinesToPaperCut", 5},
        {"RotateSpecial", 1},
        {"MapMode", 1},
    };
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        fake.values.insert(it.key(), it.value());
    // State is a method of its own on the fake.
    fake.state = 2;
}

} // namespace

class TestPropertyReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void reportMatchesGoldenCallLog();
    void closedDeviceStillGetsEveryLineAndStatusEntry();

private:
    frmPrinter* window = nullptr;
    FakePosPrinter* fake = nullptr;
};

void TestPropertyReport::initTestCase() {
    FakePosPrinter::install();
    mainWindow();
    QCOMPARE(PropertyReport::lineCount(), 138);
}

void TestPropertyReport::init() {
    loadOverFake(window, fake, &frmPrinter::OPOSPOSPrinter1);
}

// The whole job as the control sees it: every print request, each health check just before its
// label, each property read just before its value line, and the values' text.
void TestPropertyReport::reportMatchesGoldenCallLog() {
    setReportValues(*fake);
    const int before = mainWindow().Counter;
    window->findChild<QAbstractButton*>(QStringLiteral("cmdPrintProperties"))->click();

    const QStringList actual = fake->takeCalls();
    QFile golden(QStringLiteral(POSLING_TEST_DATA "/property-report-calls.txt"));
    if (qEnvironmentVariableIsSet("POSLING_REGENERATE_GOLDEN")) {
        QVERIFY(golden.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate));
        golden.write((actual.join(u'\n') + u'\n').toUtf8());
        golden.close();
    }
    QVERIFY(golden.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList expected = QString::fromUtf8(golden.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i)
        QCOMPARE(actual.at(i), expected.at(i));

    QCOMPARE(mainWindow().Counter, before + 138);
    QCOMPARE(mainWindow().lstStatusResults->List(before + 137),
             QString::number(before + 137) + ":  Result of Printer.PrintNormal:  OPOS_SUCCESS");
}

void TestPropertyReport::closedDeviceStillGetsEveryLineAndStatusEntry() {
    fake->defaultResult = 101;
    const int before = mainWindow().Counter;
    window->findChild<QAbstractButton*>(QStringLiteral("cmdPrintProperties"))->click();

    QCOMPARE(mainWindow().Counter, before + 138);
    QCOMPARE(mainWindow().lstStatusResults->ListCount(), before + 138);
    for (int i = before; i < before + 138; ++i)
        QCOMPARE(mainWindow().lstStatusResults->List(i),
                 QString::number(i) + ":  Result of Printer.PrintNormal:  OPOS_E_CLOSED");
    QCOMPARE(fake->takeCalls().filter(QStringLiteral("PrintNormal(")).size(), 138);
}

QTEST_MAIN(TestPropertyReport)
#include "tst_propertyreport.moc"
