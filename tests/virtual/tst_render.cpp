#include "virtual/render/goldenfolder.h"
#include "virtual/render/jobrenderer.h"
#include "virtual/render/receiptcompare.h"
#include "virtual/render/rendercommand.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace virt;

namespace {

QByteArray dataFile(const QString& name) {
    QFile file(QStringLiteral(POSLING_TEST_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

RenderedJob render(QByteArrayView job) {
    return JobRenderer(*VirtualProfile::byId(QStringLiteral("80mm")), ReplyPersonality::full()).render(job);
}

// A line in three styles, a bar code and a raster image, each on its own band of paper.
const QByteArray kStyledJob = QByteArray::fromHex("1b40") + "plain\n" + QByteArray::fromHex("1b4501") +
                              "bold" + QByteArray::fromHex("1b4500") + " and not\n" +
                              QByteArray::fromHex("1d6b04") + "*TEST*" + QByteArray(1, '\0') +
                              QByteArray::fromHex("1d7630000200080000") + QByteArray(16, char(0xF0)) +
                              QByteArray::fromHex("1d564200");

} // namespace

class TestRender : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listingCoversEveryByteOnce_data();
    void listingCoversEveryByteOnce();
    void eachBandNamesTheBytesThatMadeIt();
    void goldenComparisonMarksExactlyTheChangedDots();
    void commandLineExitCodes_data();
    void commandLineExitCodes();
};

void TestRender::listingCoversEveryByteOnce_data() {
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<int>("malformed");
    for (const char* name :
         {"property-report.bin", "encoders/receipt-printer-encoder.bin", "encoders/receiptline.bin"})
        QTest::newRow(name) << dataFile(QString::fromLatin1(name)) << 0;
    QTest::newRow("a buffer clear drops what waits, an unknown command, a cut-off image")
        << QByteArray("dropped") + QByteArray::fromHex("1001 1014 0801 0314 0106 0208 1b01") + "kept\n" +
               QByteArray::fromHex("1d76300001000500ff")
        << 1;
}

void TestRender::listingCoversEveryByteOnce() {
    QFETCH(QByteArray, job);
    QFETCH(int, malformed);
    QVERIFY(!job.isEmpty());
    const RenderedJob rendered = render(job);
    qint64 next = 0;
    for (const QByteArray& line : rendered.listing.jsonLines(rendered.receipts).split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject item = QJsonDocument::fromJson(line).object();
        QVERIFY2(!item.isEmpty(), line.constData());
        QCOMPARE(qint64(item.value(QLatin1String("offset")).toDouble()), next);
        next += qint64(item.value(QLatin1String("length")).toDouble());
    }
    QCOMPARE(next, job.size());
    QCOMPARE(rendered.listing.malformed().size(), malformed);
}

// What the window links, and the listing lists: each band of paper to the bytes behind it.
void TestRender::eachBandNamesTheBytesThatMadeIt() {
    const RenderedJob rendered = render(kStyledJob);
    QCOMPARE(rendered.receipts.size(), 1);
    const Receipt& receipt = rendered.receipts.first();
    QCOMPARE(receipt.lines.size(), 2);
    const auto bytesOfLine = [&](int line) {
        const PaperBand* band = bandAt(receipt.bands, receipt.lines.at(line).top + 5);
        return band ? kStyledJob.mid(band->bytes.from, band->bytes.to - band->bytes.from) : QByteArray();
    };
    QCOMPARE(bytesOfLine(0), QByteArray::fromHex("1b40") + "plain\n");
    QCOMPARE(bytesOfLine(1),
             QByteArray::fromHex("1b4501") + "bold" + QByteArray::fromHex("1b4500") + " and not\n");
    // The bar code's and the image's bands are what their commands printed, and only that.
    const qsizetype barcode = kStyledJob.indexOf(QByteArray::fromHex("1d6b04"));
    const qsizetype raster = kStyledJob.indexOf(QByteArray::fromHex("1d7630"));
    for (const auto& [from, to] : {std::pair{barcode, raster}, std::pair{raster, raster + 8 + 16}}) {
        const QList<PaperBand> bands = bandsOf(receipt.bands, ByteSpan{1, from, from + 1});
        QCOMPARE(bands.size(), 1);
        QCOMPARE(bands.first().bytes.from, from);
        QCOMPARE(bands.first().bytes.to, to);
        QVERIFY(bands.first().top >= receipt.lines.last().top + receipt.lines.last().height);
    }
}

void TestRender::goldenComparisonMarksExactlyTheChangedDots() {
    QTemporaryDir goldens, out;
    const QByteArray job = dataFile(QStringLiteral("encoders/receiptline.bin"));
    const RenderedJob before = render(job);
    QByteArray changed = job;
    const qsizetype at = changed.indexOf("Thank");
    QVERIFY(at > 0);
    changed[at] = 't';
    const RenderedJob after = render(changed);

    GoldenFolder update(goldens.path(), out.path(), true);
    update.check(QStringLiteral("job-0001.png"), before.receipts.first().image,
                 before.receipts.first().bands);
    GoldenFolder same(goldens.path(), out.path(), false);
    QCOMPARE(same.check(QStringLiteral("job-0001.png"), before.receipts.first().image, {}),
             QStringLiteral("job-0001.png: same"));
    QCOMPARE(same.differences(), 0);

    GoldenFolder differs(goldens.path(), out.path(), false);
    const QString line = differs.check(QStringLiteral("job-0001.png"), after.receipts.first().image,
                                       after.receipts.first().bands);
    QCOMPARE(differs.differences(), 1);
    // The summary names the bytes of the changed line, and the changed byte is among them.
    const QRegularExpressionMatch bytes =
        QRegularExpression(QStringLiteral("bytes (\\d+)-(\\d+)")).match(line);
    QVERIFY2(bytes.hasMatch(), qPrintable(line));
    QVERIFY(bytes.captured(1).toInt() <= at && at <= bytes.captured(2).toInt());
    const QImage diff(out.filePath(QStringLiteral("job-0001.diff.png")));
    const QImage was = before.receipts.first().image.convertToFormat(QImage::Format_Grayscale8);
    const QImage now = after.receipts.first().image.convertToFormat(QImage::Format_Grayscale8);
    QCOMPARE(diff.size(), was.size());
    int red = 0, green = 0;
    for (int y = 0; y < diff.height(); ++y)
        for (int x = 0; x < diff.width(); ++x) {
            const bool dotBefore = qGray(was.pixel(x, y)) < 128, dotNow = qGray(now.pixel(x, y)) < 128;
            const QRgb pixel = diff.pixel(x, y);
            const QRgb expected = dotBefore && dotNow ? qRgb(160, 160, 160)
                                  : dotBefore         ? qRgb(255, 0, 0)
                                  : dotNow            ? qRgb(0, 170, 0)
                                                      : qRgb(255, 255, 255);
            QCOMPARE(qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel)), expected);
            red += dotBefore && !dotNow;
            green += dotNow && !dotBefore;
        }
    QVERIFY(red > 0 && green > 0);
}

void TestRender::commandLineExitCodes_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    const QString report = QStringLiteral(POSLING_TEST_DATA "/property-report.bin");
    QTest::newRow("read through") << QStringList{report, QStringLiteral("--out"), QStringLiteral("OUT")} << 0;
    QTest::newRow("goldens written, then the same") << QStringList{report,
                                                                   QStringLiteral("--out"),
                                                                   QStringLiteral("OUT"),
                                                                   QStringLiteral("--expect"),
                                                                   QStringLiteral("OUT/goldens"),
                                                                   QStringLiteral("--update")}
                                                    << 0;
    QTest::newRow("no golden") << QStringList{report, QStringLiteral("--out"), QStringLiteral("OUT"),
                                              QStringLiteral("--expect"), QStringLiteral("OUT/none")}
                               << 1;
    QTest::newRow("no --out") << QStringList{report} << 2;
    QTest::newRow("--update alone") << QStringList{report, QStringLiteral("--out"), QStringLiteral("OUT"),
                                                   QStringLiteral("--update")}
                                    << 2;
    QTest::newRow("unknown profile") << QStringList{report, QStringLiteral("--out"), QStringLiteral("OUT"),
                                                    QStringLiteral("--profile"), QStringLiteral("99mm")}
                                     << 2;
    QTest::newRow("goldens in the output folder")
        << QStringList{report, QStringLiteral("--out"), QStringLiteral("OUT"), QStringLiteral("--expect"),
                       QStringLiteral("OUT")}
        << 2;
    QTest::newRow("a folder as the job")
        << QStringList{QStringLiteral(POSLING_TEST_DATA), QStringLiteral("--out"), QStringLiteral("OUT")}
        << 2;
}

void TestRender::commandLineExitCodes() {
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QTemporaryDir folder;
    arguments.replaceInStrings(QStringLiteral("OUT"), folder.path());
    QString output, errors;
    QTextStream out(&output), err(&errors);
    QCOMPARE(runRenderCommand(arguments, out, err), code);
    if (code == 2)
        QVERIFY2(errors.contains(QLatin1String("render")), qPrintable(errors));
    if (code == 0 &&
        arguments.contains(QLatin1String("--update"))) { // a second run meets the goldens just written
        arguments.removeAll(QStringLiteral("--update"));
        QCOMPARE(runRenderCommand(arguments, out, err), 0);
        QVERIFY2(output.contains(QLatin1String("property-report-0001.png: same")), qPrintable(output));
    }
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
