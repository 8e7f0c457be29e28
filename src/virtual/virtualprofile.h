#pragma once

#include <QMap>
#include <QString>
#include <optional>

namespace virt {

struct CellSize {
    int width;
    int height;
};

// What the virtual mechanism is: paper width, fonts, line spacing and the ESC t numbering.
struct VirtualProfile {
    QString id;        // "80mm", "58mm"
    QString modelName; // GS I 67
    int widthDots = 576;
    CellSize fontA{12, 24};
    CellSize fontB{9, 17};
    int lineSpacing = 30; // ESC 2
    // From the print head up to the blade: 5 lines of 30 dots (18.75 mm), the distance the 80 mm
    // and 58 mm control profiles report as RecLinesToPaperCut.
    int cutterDistanceDots = 150;
    // ESC e: thermal mechanisms pull the paper back only a little, and a request beyond the limit
    // prints the buffer without moving the paper. Two lines of the default pitch is our model.
    int maxReverseFeedDots = 60;
    // Receive buffer of each link: 16 KB, a typical size for receipt printers (4 KB to 64 KB).
    int receiveBufferBytes = 16 * 1024;
    int defaultCodePage = 437;
    QMap<int, int> codePageForEscT; // ESC t n -> code page

    static std::optional<VirtualProfile> byId(const QString& id);
    static VirtualProfile defaultProfile() { return *byId(QStringLiteral("80mm")); }
};

} // namespace virt
