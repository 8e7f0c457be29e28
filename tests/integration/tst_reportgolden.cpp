#include "app/form.h"
#include "app/frm_sample.h"
#include "app/statuslist.h"
#include "common/windowtesting.h"
#include "common/wirebytes.h"
#include "printer/frmprinter.h"
#include "support/builtindevices.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kReportLines = 138;
// CheckHealth 2 and 3 in the report each print the test receipt: eleven lines, a bar code, a cut.
constexpr int kHealthReceiptLines = 11;
const char* const kGoldenFile = POSLING_TEST_DATA "/property-report.bin";
const char* const kRegenerate = "POSLING_REGENERATE_GOLDEN";

QString hexAround(const QByteArray& bytes, qsizetype offset) {
    const qsizetype from = qMax<qsizetype>(0, offset - 16);
    const QByteArray part = bytes.mid(from, 32);
    QString shown;
    for (char c : part)
        shown += (quint8(c) >= 0x20 && quint8(c) < 0x7f) ? QChar::fromLatin1(c) : QChar(u'.');
    return QStringLiteral("@%1: %2  |%3|").arg(from).arg(QString::fromLatin1(part.toHex(' ')), shown);
}

// Empty when equal; otherwise where they part, with the bytes around it from both.
QString firstDifference(const QByteArray& expected, const QByteArray& actual) {
    qsizetype at = 0;
    const qsizetype common = qMin(expected.size(), actual.size());
    while (at < common && expected.at(at) == actual.at(at))
        ++at;
    if (at == common && expected.size() == actual.size())
        return QString();
    return QStringLiteral("first difference at offset %1 (expected %2 bytes, got %3)\n"
                          "  expected %4\n  actual   %5\n"
                          "If the change is intended, run once with %6=1 to rewrite %7.")
        .arg(at)
        .arg(expected.size())
        .arg(actual.size())
        .arg(hexAround(expected, at), hexAround(actual, at), QLatin1String(kRegenerate),
             QLatin1String(kGoldenFile));
}

} // namespace

// The property report as the virtual printer receives it, kept byte for byte under tests/data.
class TestReportGolden : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void reportBytesMatchTheGoldenFile();

private:
    QTemporaryDir config;
    QTemporaryDir capture;
    QByteArray wireSoFar() const;
};

void TestReportGolden::initTestCase() {
    QVERIFY(capture.isValid());
    useBuiltInDevices(config);
    // Read when the virtual printer is made, on the first open.
    qputenv("POSLING_CAPTURE_DIR", capture.path().toUtf8());
    mainWindow();
}

void TestReportGolden::cleanupTestCase() {
    FormInstance<frmPrinter>::unload();
    // The printer outlives this object; it must not save its paper into a removed folder.
    if (virt::VirtualPrinter* printer = virt::VirtualPrinterHub::instance()->find(QStringLiteral("Z901")))
        printer->setCaptureFolder(QString());
}

QByteArray TestReportGolden::wireSoFar() const {
    QFile wire(QDir(capture.path()).filePath(QStringLiteral("wire.bin")));
    return wire.open(QIODevice::ReadOnly) ? wire.readAll() : QByteArray();
}

void TestReportGolden::reportBytesMatchTheGoldenFile() {
    frmPrinter& window = FormInstance<frmPrinter>::get();
    window.Display();
    int before = mainWindow().Counter;
    click(window, "cmdOpenPrinter");
    click(window, "cmdClaimPrinter");
    click(window, "cmdEnablePrinter");
    QCOMPARE(resultsSince(before), QStringList(3, QStringLiteral("OPOS_SUCCESS")));

    virt::VirtualPrinter* printer = virt::VirtualPrinterHub::instance()->find(QStringLiteral("Z901"));
    QVERIFY(printer);
    QCOMPARE(printer->captureFolder(), capture.path());
    const qsizetype start = wireSoFar().size();
    QVERIFY2(start > 0, "enabling sends the printer its initialisation");
    const int startCuts = printer->paper()->receiptsCut();

    before = mainWindow().Counter;
    click(window, "cmdPrintProperties");
    QCOMPARE(resultsSince(before), QStringList(kReportLines, QStringLiteral("OPOS_SUCCESS")));
    // Synchronous printing: every line has reached the printer when its call returns.
    const QByteArray report = withoutStatusRequests(wireSoFar().mid(start));

    // Whatever the golden file says, the report is its 138 lines and one test receipt with a blank
    // line after it (the interactive check asks before it prints the receipt again), each line
    // ended by LF: the CR the window puts before each LF is dropped, so a printer with automatic
    // line feed cannot double-space the report.
    QCOMPARE(report.count('\n'), kReportLines + kHealthReceiptLines + 1);
    QCOMPARE(report.count('\r'), 0);
    QVERIFY(report.startsWith("Common/State Properties\n--------------------\n\n"));
    QVERIFY(report.endsWith("\nEnd of Test\n"));

    // One slip: the test receipt inside the report does not cut it, and the paper moved on by at
    // least one line pitch per report line.
    QCOMPARE(printer->paper()->receiptsCut(), startCuts);
    QVERIFY2(printer->paper()->position() >= kReportLines * printer->profile().lineSpacing,
             qPrintable(QStringLiteral("paper advanced %1 dots").arg(printer->paper()->position())));

    QFile golden(QString::fromLatin1(kGoldenFile));
    if (qEnvironmentVariableIntValue(kRegenerate) != 0) {
        QVERIFY2(golden.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(golden.errorString()));
        QCOMPARE(golden.write(report), report.size());
        golden.close();
        qInfo("%s rewritten (%lld bytes)", kGoldenFile, qlonglong(report.size()));
    }
    QVERIFY2(golden.open(QIODevice::ReadOnly),
             qPrintable(QStringLiteral("%1 missing: run once with %2=1 to write it")
                            .arg(golden.fileName(), QLatin1String(kRegenerate))));
    const QString difference = firstDifference(golden.readAll(), report);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

QTEST_MAIN(TestReportGolden)
#include "tst_reportgolden.moc"
