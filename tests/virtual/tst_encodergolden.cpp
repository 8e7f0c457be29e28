#include "support/printerharness.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace virt;

// Receipts made by two independent ESC/POS encoders (scripts/encoder-streams/make-streams.mjs), so the
// virtual printer is held to streams we did not write. The golden PNG shows every receipt the
// stream printed, top to bottom, each cut marked by a grey band; the golden text lists the printed
// lines with the cuts between them.

namespace {

const char* const kRegenerate = "POSLING_REGENERATE_GOLDEN";
constexpr int kCutBand = 4;
const QRgb kPaper = qRgb(255, 255, 255);
const QRgb kInk = qRgb(0, 0, 0);
const QRgb kCut = qRgb(160, 160, 160);

QString dataPath(const QString& name, const char* suffix) {
    return QStringLiteral(POSLING_TEST_DATA "/encoders/%1.%2").arg(name, QLatin1String(suffix));
}

bool regenerating() {
    return qEnvironmentVariableIntValue(kRegenerate) != 0;
}

QString regenerateHint(const QString& path) {
    return QStringLiteral("If the change is intended, run once with %1=1 to rewrite %2.")
        .arg(QLatin1String(kRegenerate), path);
}

// What a dot of a paper image is: 0 paper, 1 ink, 2 the band between two receipts.
int dotKind(QRgb pixel) {
    const int grey = qGray(pixel);
    return grey < 64 ? 1 : grey > 192 ? 0 : 2;
}

// Every receipt the printer cut and then the one still on the roll, one bit per dot, a band between.
QImage paperImage(PaperRoll& paper) {
    QList<QImage> receipts;
    for (const Receipt& receipt : paper.receipts())
        receipts.append(receipt.image);
    if (!paper.currentImage().isNull())
        receipts.append(paper.currentImage());
    int height = 0;
    for (const QImage& receipt : receipts)
        height += receipt.height();
    height += kCutBand * qMax(0, int(receipts.size()) - 1);
    QImage stacked(paper.width(), qMax(1, height), QImage::Format_Indexed8);
    stacked.setColorTable({kPaper, kInk, kCut});
    stacked.fill(0);
    int top = 0;
    for (const QImage& receipt : receipts) {
        if (top > 0) {
            for (int y = top - kCutBand; y < top; ++y)
                for (int x = 0; x < stacked.width(); ++x)
                    stacked.setPixel(x, y, 2);
        }
        for (int y = 0; y < receipt.height(); ++y)
            for (int x = 0; x < qMin(receipt.width(), stacked.width()); ++x)
                stacked.setPixel(x, top + y, qGray(receipt.pixel(x, y)) < 128 ? 1 : 0);
        top += receipt.height() + kCutBand;
    }
    return stacked;
}

QString cutMarker(CutKind kind) {
    switch (kind) {
    case CutKind::Full:
        return QStringLiteral("<full cut>");
    case CutKind::Partial:
        return QStringLiteral("<partial cut>");
    case CutKind::Torn:
        return QStringLiteral("<torn off>");
    }
    return QString();
}

// The printed text lines in paper order, a marker line where the paper was cut.
QStringList paperText(PaperRoll& paper) {
    QStringList lines;
    for (const Receipt& receipt : paper.receipts()) {
        for (const PrintedLine& line : receipt.lines)
            lines.append(line.text);
        lines.append(cutMarker(receipt.cut));
    }
    for (const PrintedLine& line : paper.currentLines())
        lines.append(line.text);
    return lines;
}

// Empty when the images agree dot for dot; otherwise where they first differ and their sizes.
QString imageDifference(const QImage& expected, const QImage& actual) {
    const int width = qMin(expected.width(), actual.width());
    const int height = qMin(expected.height(), actual.height());
    QPoint first(-1, -1);
    for (int y = 0; y < height && first.y() < 0; ++y)
        for (int x = 0; x < width; ++x)
            if (dotKind(expected.pixel(x, y)) != dotKind(actual.pixel(x, y))) {
                first = QPoint(x, y);
                break;
            }
    if (first.y() < 0 && expected.size() == actual.size())
        return QString();
    if (first.y() < 0) // equal where both have dots: one is longer or wider
        first = expected.height() != actual.height() ? QPoint(0, height) : QPoint(width, 0);
    return QStringLiteral("images first differ at row %1, column %2 (expected %3x%4, got %5x%6)")
        .arg(first.y())
        .arg(first.x())
        .arg(expected.width())
        .arg(expected.height())
        .arg(actual.width())
        .arg(actual.height());
}

QString textDifference(const QStringList& expected, const QStringList& actual) {
    for (qsizetype i = 0; i < qMax(expected.size(), actual.size()); ++i) {
        const QString want = i < expected.size() ? expected.at(i) : QStringLiteral("(no line)");
        const QString got = i < actual.size() ? actual.at(i) : QStringLiteral("(no line)");
        if (i >= expected.size() || i >= actual.size() || want != got)
            return QStringLiteral(
                       "line %1 differs (expected %2 lines, got %3)\n  expected \"%4\"\n  actual   \"%5\"")
                .arg(i + 1)
                .arg(expected.size())
                .arg(actual.size())
                .arg(want, got);
    }
    return QString();
}

// The paper after the printer has printed the whole stream.
struct PrintedStream {
    QImage image;
    QStringList text;
};

PrintedStream print(const QString& name) {
    QFile stream(dataPath(name, "bin"));
    if (!stream.open(QIODevice::ReadOnly))
        return {};
    PrinterHarness harness(QStringLiteral("80mm"));
    harness.send(stream.readAll());
    harness.takeReplies(); // status the stream asked for
    return {paperImage(*harness.printer->paper()), paperText(*harness.printer->paper())};
}

void addStreams() {
    QTest::addColumn<QString>("name");
    QTest::newRow("receipt-printer-encoder") << QStringLiteral("receipt-printer-encoder");
    QTest::newRow("receiptline") << QStringLiteral("receiptline");
}

} // namespace

class TestEncoderGolden : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void paperMatchesGoldenImage_data() { addStreams(); }
    void paperMatchesGoldenImage();
    void linesMatchGoldenText_data() { addStreams(); }
    void linesMatchGoldenText();
};

void TestEncoderGolden::paperMatchesGoldenImage() {
    QFETCH(QString, name);
    const PrintedStream printed = print(name);
    QVERIFY2(!printed.image.isNull(), qPrintable(dataPath(name, "bin") + QStringLiteral(" missing")));
    const QString path = dataPath(name, "png");
    if (regenerating()) {
        QVERIFY2(printed.image.save(path, "PNG"), qPrintable(path));
        qInfo("%s rewritten (%dx%d)", qPrintable(path), printed.image.width(), printed.image.height());
    }
    const QImage golden(path);
    QVERIFY2(!golden.isNull(), qPrintable(QStringLiteral("%1 missing: run once with %2=1 to write it")
                                              .arg(path, QLatin1String(kRegenerate))));
    const QString difference = imageDifference(golden, printed.image);
    if (!difference.isEmpty()) {
        const QString actualPath = QDir::temp().filePath(name + QStringLiteral("-actual.png"));
        printed.image.save(actualPath, "PNG");
        QFAIL(qPrintable(QStringLiteral("%1; the printed paper is in %2\n%3")
                             .arg(difference, actualPath, regenerateHint(path))));
    }
}

void TestEncoderGolden::linesMatchGoldenText() {
    QFETCH(QString, name);
    const PrintedStream printed = print(name);
    QVERIFY2(!printed.image.isNull(), qPrintable(dataPath(name, "bin") + QStringLiteral(" missing")));
    QFile golden(dataPath(name, "txt"));
    if (regenerating()) {
        QVERIFY2(golden.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(golden.errorString()));
        golden.write(printed.text.join(u'\n').toUtf8() + '\n');
        golden.close();
        qInfo("%s rewritten (%lld lines)", qPrintable(golden.fileName()), qlonglong(printed.text.size()));
    }
    QVERIFY2(golden.open(QIODevice::ReadOnly),
             qPrintable(QStringLiteral("%1 missing: run once with %2=1 to write it")
                            .arg(golden.fileName(), QLatin1String(kRegenerate))));
    QString content = QString::fromUtf8(golden.readAll());
    if (content.endsWith(u'\n'))
        content.chop(1);
    const QStringList expected = content.isEmpty() ? QStringList() : content.split(u'\n');
    const QString difference = textDifference(expected, printed.text);
    QVERIFY2(difference.isEmpty(), qPrintable(difference + u'\n' + regenerateHint(golden.fileName())));
}

QTEST_MAIN(TestEncoderGolden)
#include "tst_encodergolden.moc"
