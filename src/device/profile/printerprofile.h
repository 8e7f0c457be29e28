#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace device {

struct PrinterFont {
    QString name;
    int cellWidth = 0;
    int cellHeight = 0;
    int lineChars = 0;
};

// What a receipt printer model can do, as data: every Cap* and Rec* property and the limits of
// each method come from here.
struct PrinterProfile {
    QString id;          // "80mm" or "58mm"
    QString description; // DeviceDescription
    int dpi = 203;
    int lineWidthDots = 0;    // RecLineWidth in dots
    QList<PrinterFont> fonts; // font A first
    int lineSpacingDots = 0;  // RecLineSpacing; RecLineHeight is font A's cell height
    int linesToPaperCut = 0;  // RecLinesToPaperCut
    bool hasCutter = false;
    bool hasPartialCut = false;
    bool twoColour = false;      // CapRec2Color: red needs two-colour paper
    int maxReverseFeedLines = 0; // ESC e: how far the mechanism pulls the paper back, 0 = not at all
    bool coverSensor = false;
    bool emptySensor = false;
    bool nearEndSensor = false;
    QList<int> characterSets; // CharacterSetList numbers, 998 (ASCII) included
    int defaultCharacterSet = 437;
    QMap<int, int> escTForCharacterSet; // code page -> n of ESC t n
    int sidewaysMaxLines = 0;
    int sidewaysMaxChars = 0;
    int maxBitmapWidthDots = 0; // = lineWidthDots
    bool hasPdf417 = false;
    bool hasMaxiCode = false;
    // Thick element in dots for each GS w n (index n - 1) of the two-width bar codes (Code 39,
    // Codabar, ITF); the thin element is n dots.
    QList<int> thickBarDots;
    // 0 for a module width the table lacks.
    int thickBarDotsFor(int moduleWidth) const;

    int lineHeightDots() const;       // RecLineHeight: font A's cell height
    QString characterSetList() const; // ascending, comma-separated: "437,850,...,1252"
    QString lineCharsList() const;    // ascending chars per line of the fonts: "48,64"
    QString fontTypefaceList() const; // font names in ESC|#fT order: "Font A,Font B"
    static std::optional<PrinterProfile> byId(const QString& id); // unknown -> nullopt
    static QStringList knownIds();
};

} // namespace device
