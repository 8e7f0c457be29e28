#pragma once

#include "barcoderenderer.h"
#include "glyphrenderer.h"
#include "virtualprofile.h"

#include <QList>

namespace virt {

// Everything ESC @ puts back, as one value.
struct PrintModes {
    TextStyle style;
    bool emphasis = false;
    bool doubleStrike = false;
    bool upsideDown = false;
    int justification = 0; // 0 left, 1 centre, 2 right
    int lineSpacing = 30;
    int codePage = 437;
    int leftMargin = 0;
    int areaWidth = 576;
    QList<int> tabStops; // in columns
    // Bar codes
    int barHeight = 162;
    int moduleWidth = 3;
    int hriPosition = 0; // 0 none, 1 above, 2 below, 3 both
    bool hriFontB = false;
    // 2D symbols
    QrSettings qr;
    Pdf417Settings pdf417;
    int maxicodeMode = 2;
    // Page mode
    int pageDirection = 0;

    static PrintModes defaults(const VirtualProfile& profile) {
        PrintModes modes;
        modes.lineSpacing = profile.lineSpacing;
        modes.codePage = profile.defaultCodePage;
        modes.areaWidth = profile.widthDots;
        for (int column = 8; column <= 32 * 8; column += 8)
            modes.tabStops.append(column);
        return modes;
    }
    TextStyle effectiveStyle() const {
        TextStyle s = style;
        s.bold = emphasis || doubleStrike;
        if (s.reverse)
            s.underline = 0; // reverse printing draws no underline
        return s;
    }
};

} // namespace virt
