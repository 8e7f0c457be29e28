#include "receiptcompare.h"

namespace virt {

namespace {

inline bool dotAt(const QImage& image, int x, int y) {
    return y < image.height() && x < image.width() && image.constScanLine(y)[x] < 128;
}

QImage grey(const QImage& image) {
    return image.isNull() ? QImage() : image.convertToFormat(QImage::Format_Grayscale8);
}

// Calls visit(x, y, golden dot, rendered dot) over the larger of the two.
template <typename Visit> void eachDot(const QImage& golden, const QImage& rendered, Visit visit) {
    const int width = qMax(golden.width(), rendered.width());
    const int height = qMax(golden.height(), rendered.height());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            visit(x, y, dotAt(golden, x, y), dotAt(rendered, x, y));
}

} // namespace

ReceiptComparison compareReceipts(const QImage& goldenImage, const QImage& renderedImage) {
    const QImage golden = grey(goldenImage), rendered = grey(renderedImage);
    ReceiptComparison comparison;
    comparison.goldenSize = golden.size();
    comparison.renderedSize = rendered.size();
    eachDot(golden, rendered, [&](int, int y, bool before, bool now) {
        if (before && now) {
            ++comparison.kept;
            return;
        }
        if (before == now)
            return;
        ++(before ? comparison.missing : comparison.extra);
        if (comparison.firstRow < 0)
            comparison.firstRow = y;
        comparison.lastRow = y;
    });
    return comparison;
}

QImage differenceImage(const QImage& goldenImage, const QImage& renderedImage) {
    const QImage golden = grey(goldenImage), rendered = grey(renderedImage);
    QImage diff(qMax(golden.width(), rendered.width()), qMax(golden.height(), rendered.height()),
                QImage::Format_RGB32);
    diff.fill(Qt::white);
    eachDot(golden, rendered, [&](int x, int y, bool before, bool now) {
        if (before && now)
            diff.setPixel(x, y, qRgb(160, 160, 160));
        else if (before)
            diff.setPixel(x, y, qRgb(255, 0, 0));
        else if (now)
            diff.setPixel(x, y, qRgb(0, 170, 0));
    });
    return diff;
}

QString describeDifference(const ReceiptComparison& comparison, const QList<PaperBand>& renderedBands) {
    if (comparison.same())
        return QStringLiteral("same");
    const auto size = [](const QSize& s) { return QStringLiteral("%1x%2").arg(s.width()).arg(s.height()); };
    QString text = QStringLiteral("differs:");
    if (comparison.missing || comparison.extra) {
        text += QStringLiteral(" %1 dots missing, %2 extra in rows %3-%4")
                    .arg(comparison.missing)
                    .arg(comparison.extra)
                    .arg(comparison.firstRow)
                    .arg(comparison.lastRow);
        if (const PaperBand* band = bandAt(renderedBands, comparison.firstRow))
            text += QStringLiteral(", printed by bytes %1-%2").arg(band->bytes.from).arg(band->bytes.to - 1);
    }
    if (comparison.goldenSize != comparison.renderedSize)
        text += QStringLiteral("%1 %2 dots now, %3 in the golden")
                    .arg(comparison.missing || comparison.extra ? QStringLiteral(";") : QString(),
                         size(comparison.renderedSize), size(comparison.goldenSize));
    return text;
}

} // namespace virt
