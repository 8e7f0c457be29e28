#include "app/form.h"
#include "app/frm_sample.h"
#include "common/fakecontrols.h"
#include "common/windowtesting.h"
#include "printer/frmprinter.h"

#include <QApplication>
#include <QTest>

#include <limits>

// The four translators of the main window and the extended-code path through the printer control.
class TestTranslators : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }
    void cleanup() { unloadAllWindows(); }

    void resultCodes_data();
    void resultCodes();
    void extendedPrinterCodes_data();
    void extendedPrinterCodes();
    void extendedMicrCodes_data();
    void extendedMicrCodes();
    void statusUpdateCodes_data();
    void statusUpdateCodes();

    void extendedResultAsksThePrinter_data();
    void extendedResultAsksThePrinter();
    void extendedResultLoadsPrinterWindowHidden();
    void extendedResultWithoutPrinterControl();
};

namespace {

void addCodeRows(const QList<QPair<qint32, const char*>>& rows) {
    for (const auto& [code, text] : rows)
        QTest::addRow("%d", code) << code << QString::fromLatin1(text);
}

constexpr qint32 minInt = std::numeric_limits<qint32>::min();
constexpr qint32 maxInt = std::numeric_limits<qint32>::max();

} // namespace

void TestTranslators::resultCodes_data() {
    QTest::addColumn<qint32>("code");
    QTest::addColumn<QString>("text");
    addCodeRows({{0, "OPOS_SUCCESS"},        {101, "OPOS_E_CLOSED"},     {102, "OPOS_E_CLAIMED"},
                 {103, "OPOS_E_NOTCLAIMED"}, {104, "OPOS_E_NOSERVICE"},  {105, "OPOS_E_DISABLED"},
                 {106, "OPOS_E_ILLEGAL"},    {107, "OPOS_E_NOHARDWARE"}, {108, "OPOS_E_OFFLINE"},
                 {109, "OPOS_E_NOEXIST"},    {110, "OPOS_E_EXISTS"},     {111, "OPOS_E_FAILURE"},
                 {112, "OPOS_E_TIMEOUT"},    {113, "OPOS_E_BUSY"},       {1, "Unknown Error"},
                 {100, "Unknown Error"},     {115, "Unknown Error"},     {-1, "Unknown Error"},
                 {201, "Unknown Error"},     {minInt, "Unknown Error"},  {maxInt, "Unknown Error"}});
}

// Every code but 114 writes MyErrDesc only, replaces what was there and leaves the argument alone.
void TestTranslators::resultCodes() {
    QFETCH(qint32, code);
    QFETCH(QString, text);
    frm_Sample& window = mainWindow();
    window.MyErrDesc = QStringLiteral("previous text");
    window.MyExtErrDesc = QStringLiteral("left alone");
    qint32 argument = code;
    window.WhatError(argument);
    QCOMPARE(window.MyErrDesc, text);
    QCOMPARE(window.MyExtErrDesc, QStringLiteral("left alone"));
    QCOMPARE(argument, code);
}

void TestTranslators::extendedPrinterCodes_data() {
    QTest::addColumn<qint32>("code");
    QTest::addColumn<QString>("text");
    addCodeRows({{201, "OPOS_EPTR_COVER_OPEN"},
                 {202, "OPOS_EPTR_JRN_EMPTY"},
                 {203, "OPOS_EPTR_REC_EMPTY"},
                 {204, "OPOS_EPTR_SLP_EMPTY"},
                 {205, "OPOS_EPTR_SLP_FORM"},
                 {206, "OPOS_EPTR_TOOBIG"},
                 {207, "OPOS_EPTR_BAD_FORMAT"},
                 {0, "Unknown Error"},
                 {200, "Unknown Error"},
                 {208, "Unknown Error"},
                 {-203, "Unknown Error"}});
}

void TestTranslators::extendedPrinterCodes() {
    QFETCH(qint32, code);
    QFETCH(QString, text);
    frm_Sample& window = mainWindow();
    window.MyExtErrDesc = QStringLiteral("previous text");
    qint32 argument = code;
    window.WhatExtPrtErr(argument);
    QCOMPARE(window.MyExtErrDesc, text);
    QCOMPARE(argument, code);
}

void TestTranslators::extendedMicrCodes_data() {
    QTest::addColumn<qint32>("code");
    QTest::addColumn<QString>("text");
    addCodeRows({{201, "OPOS_EMICR_NOCHECK"},
                 {202, "OPOS_EMICR_CHECK"},
                 {200, "Unknown Error"},
                 {203, "Unknown Error"},
                 {0, "Unknown Error"}});
}

void TestTranslators::extendedMicrCodes() {
    QFETCH(qint32, code);
    QFETCH(QString, text);
    frm_Sample& window = mainWindow();
    window.MyExtErrDesc = QStringLiteral("previous text");
    qint32 argument = code;
    window.WhatExtMICRErr(argument);
    QCOMPARE(window.MyExtErrDesc, text);
    QCOMPARE(argument, code);
}

void TestTranslators::statusUpdateCodes_data() {
    QTest::addColumn<qint32>("code");
    QTest::addColumn<QString>("text");
    addCodeRows({{11, "PTR_SUE_COVER_OPEN"},
                 {12, "PTR_SUE_COVER_OK"},
                 {21, "PTR_SUE_JRN_EMPTY"},
                 {22, "PTR_SUE_JRN_NEAREMPTY"},
                 {23, "PTR_SUE_JRN_PAPEROK"},
                 {24, "PTR_SUE_REC_EMPTY"},
                 {25, "PTR_SUE_REC_NEAREMPTY"},
                 {26, "PTR_SUE_REC_PAPEROK"},
                 {27, "PTR_SUE_SLP_EMPTY"},
                 {28, "PTR_SUE_SLP_NEAREMPTY"},
                 {29, "PTR_SUE_SLP_PAPEROK"},
                 {1001, "PTR_SUE_IDLE"},
                 {13, "Unknown SUE"},
                 {20, "Unknown SUE"},
                 {10, "Unknown SUE"},
                 {30, "Unknown SUE"},
                 {2001, "Unknown SUE"},
                 {2004, "Unknown SUE"},
                 {0, "Unknown SUE"},
                 {-1, "Unknown SUE"}});
    for (qint32 code = 14; code <= 19; ++code)
        QTest::addRow("%d", code) << code << QStringLiteral("Unknown SUE");
}

void TestTranslators::statusUpdateCodes() {
    QFETCH(qint32, code);
    QFETCH(QString, text);
    frm_Sample& window = mainWindow();
    window.MySUEDesc = QStringLiteral("previous text");
    window.MyErrDesc = QStringLiteral("left alone");
    qint32 argument = code;
    window.WhatSUE(argument);
    QCOMPARE(window.MySUEDesc, text);
    QCOMPARE(window.MyErrDesc, QStringLiteral("left alone"));
    QCOMPARE(argument, code);
}

void TestTranslators::extendedResultAsksThePrinter_data() {
    QTest::addColumn<qint32>("extendedCode");
    QTest::addColumn<QString>("extendedText");
    addCodeRows({{203, "OPOS_EPTR_REC_EMPTY"}, {201, "OPOS_EPTR_COVER_OPEN"}, {0, "Unknown Error"}});
}

void TestTranslators::extendedResultAsksThePrinter() {
    QFETCH(qint32, extendedCode);
    QFETCH(QString, extendedText);
    FakeControls fakes;
    FormInstance<frmPrinter>::get();
    QVERIFY(fakes.printer());
    fakes.printer()->resultCodeExtended = extendedCode;

    frm_Sample& window = mainWindow();
    window.MyExtErrDesc = QStringLiteral("previous text");
    qint32 code = 114;
    window.WhatError(code);
    QCOMPARE(window.MyErrDesc, QStringLiteral("OPOS_E_EXTENDED:  ") + extendedText);
    QCOMPARE(window.MyExtErrDesc, extendedText);
    QCOMPARE(code, 114);
}

void TestTranslators::extendedResultLoadsPrinterWindowHidden() {
    FakeControls fakes;
    QVERIFY(!FormInstance<frmPrinter>::isLoaded());
    frm_Sample& window = mainWindow();
    qint32 code = 114;
    window.WhatError(code);
    QVERIFY(FormInstance<frmPrinter>::isLoaded());
    QVERIFY(!FormInstance<frmPrinter>::get().isVisible());
    QCOMPARE(window.MyErrDesc, QStringLiteral("OPOS_E_EXTENDED:  Unknown Error"));
}

// A printer control that could not be made has no extended code to give: it reads as 0.
void TestTranslators::extendedResultWithoutPrinterControl() {
    frm_Sample& window = mainWindow();
    qint32 code = 114;
    window.WhatError(code);
    QCOMPARE(window.MyErrDesc, QStringLiteral("OPOS_E_EXTENDED:  Unknown Error"));
    QCOMPARE(window.MyExtErrDesc, QStringLiteral("Unknown Error"));
}

QTEST_MAIN(TestTranslators)
#include "tst_translators.moc"
