#include "device/profile/printerprofile.h"

#include <algorithm>

namespace device {

namespace {

// Shared by both widths: a 203-dpi head, 30-dot line pitch (ESC 2 default range is 30..34),
// the usual code pages.
PrinterProfile thermal203(const QString& id, const QString& description, int lineWidthDots,
                          int fontALineChars, int fontBLineChars) {
    PrinterProfile p;
    p.id = id;
    p.description = description;
    p.dpi = 203;
    p.lineWidthDots = lineWidthDots;
    p.fonts = {{QStringLiteral("Font A"), 12, 24, fontALineChars},
               {QStringLiteral("Font B"), 9, 17, fontBLineChars}};
    p.lineSpacingDots = 30;
    // Head to cutter is about 15-20 mm; 5 lines of 30 dots are 150 dots = 18.75 mm.
    p.linesToPaperCut = 5;
    p.hasCutter = true;
    p.hasPartialCut = true;
    // Thermal mechanisms pull the paper back only a little: two lines of 30 dots (7.5 mm).
    p.maxReverseFeedLines = 2;
    p.coverSensor = true;
    p.emptySensor = true;
    p.nearEndSensor = true;
    p.characterSets = {437, 850, 852, 858, 866, 998, 1252};
    p.defaultCharacterSet = 437;
    // ESC t numbering of the common table; 998 (ASCII) needs no table of its own, page 0 has it.
    p.escTForCharacterSet = {{437, 0}, {850, 2}, {852, 18}, {858, 19}, {866, 17}, {1252, 16}, {998, 0}};
    // Sideways text runs along the paper: the lines stack across the head, the characters run
    // along the feed in a page-mode area. The page length is our choice: 1200 dots (150 mm) fits
    // the page buffer of common models; divided by font A's 12-dot width.
    constexpr int sidewaysPageLengthDots = 1200;
    p.sidewaysMaxLines = lineWidthDots / p.lineSpacingDots;
    p.sidewaysMaxChars = sidewaysPageLengthDots / p.fonts.first().cellWidth;
    p.maxBitmapWidthDots = lineWidthDots;
    p.hasPdf417 = true;
    // The printers' GS w table for n = 2..6 (0.141 mm dots: 0.706, 1.129, 1.411, 1.834, 2.258 mm),
    // ratios 2.5 to 2.7. n = 1 is not in that table; 3 dots (3:1) is our choice.
    p.thickBarDots = {3, 5, 8, 10, 13, 16};
    return p;
}

QString joinAscending(QList<int> numbers) {
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    QStringList texts;
    for (int n : numbers)
        texts << QString::number(n);
    return texts.join(QLatin1Char(','));
}

} // namespace

int PrinterProfile::lineHeightDots() const {
    return fonts.isEmpty() ? 0 : fonts.first().cellHeight;
}

QString PrinterProfile::characterSetList() const {
    return joinAscending(characterSets);
}

int PrinterProfile::thickBarDotsFor(int moduleWidth) const {
    return moduleWidth >= 1 && moduleWidth <= thickBarDots.size() ? thickBarDots[moduleWidth - 1] : 0;
}

QString PrinterProfile::lineCharsList() const {
    QList<int> chars;
    for (const PrinterFont& font : fonts)
        chars << font.lineChars;
    return joinAscending(chars);
}

QString PrinterProfile::fontTypefaceList() const {
    QStringList names;
    for (const PrinterFont& font : fonts)
        names << font.name;
    return names.join(QLatin1Char(','));
}

std::optional<PrinterProfile> PrinterProfile::byId(const QString& id) {
    if (id == QLatin1String("80mm")) {
        PrinterProfile p =
            thermal203(id, QStringLiteral("80 mm thermal receipt printer, 203 dpi"), 576, 48, 64);
        p.hasMaxiCode = true; // model data: a one-inch symbol would fit 58 mm, but that model lacks it
        return p;
    }
    if (id == QLatin1String("58mm"))
        return thermal203(id, QStringLiteral("58 mm thermal receipt printer, 203 dpi"), 384, 32, 42);
    return std::nullopt;
}

QStringList PrinterProfile::knownIds() {
    return {QStringLiteral("80mm"), QStringLiteral("58mm")};
}

} // namespace device
