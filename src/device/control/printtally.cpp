#include "device/control/printtally.h"

#include "device/control/devicestatistics.h"
#include "device/control/statisticscatalog.h"

#include <QRegularExpression>

#include <utility>

namespace device {

PrintTally& PrintTally::operator+=(const PrintTally& other) {
    lines += other.lines;
    characters += other.characters;
    feeds += other.feeds;
    cuts += other.cuts;
    barcodes += other.barcodes;
    bitmaps += other.bitmaps;
    return *this;
}

PrintTally PrintTally::of(const QString& data) {
    static const QRegularExpression escape(QStringLiteral("\\x1B\\|!?(\\d*)([a-z]*)([A-Z])"));
    PrintTally tally;
    qsizetype textFrom = 0;
    const auto countText = [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) {
            const char16_t c = data.at(i).unicode();
            if (c == u'\n')
                ++tally.lines;
            else if (c >= 0x20 && c != 0x7F)
                ++tally.characters;
        }
    };
    for (QRegularExpressionMatchIterator it = escape.globalMatch(data); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        countText(textFrom, match.capturedStart());
        textFrom = match.capturedEnd();
        const QString letter = match.captured(3), lower = match.captured(2);
        if (letter == u"P")
            ++tally.cuts;
        else if (letter == u"F" && lower == u"l")
            tally.feeds += match.captured(1).isEmpty() ? 1 : match.captured(1).toLongLong();
    }
    countText(textFrom, data.size());
    return tally;
}

void PrintTally::countInto(DeviceStatistics& statistics) const {
    const std::pair<const QString&, qint64> counts[] = {
        {statistic::ReceiptLinePrintedCount, lines}, {statistic::ReceiptCharacterPrintedCount, characters},
        {statistic::ReceiptLineFeedCount, feeds},    {statistic::PaperCutCount, cuts},
        {statistic::BarcodePrintedCount, barcodes},  {statistic::BitmapPrintedCount, bitmaps},
    };
    for (const auto& [name, value] : counts)
        if (value > 0)
            statistics.increment(name, value);
}

} // namespace device
