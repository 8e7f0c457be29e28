#pragma once

#include "opos/oposconstants.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace device {

struct PrinterProfile;

// PrintBarCode's arguments, in dots.
struct BarcodeArguments {
    QString data;
    qint32 symbology = 0;
    qint32 height = 0;
    qint32 width = 0;
    qint32 alignment = 0;
    qint32 textPosition = 0;
};

struct BarcodeCommand {
    qint32 code = opos::OPOS_SUCCESS; // OPOS_E_ILLEGAL when refused
    QString reason;                   // why it was refused, for the device log
    QByteArray setup;                 // GS h, GS w, GS H (or the 2D symbol's setup)
    QByteArray symbol;                // GS k m n d... (function B) or GS ( k store + print
    int widthDots = 0;                // bars on paper, quiet zones excluded
    int leftDots = 0;                 // left edge within the print area implied by the alignment
    int heightDots = 0;               // bars (HRI text excluded); for PDF417 at most this
    int moduleWidth = 0;              // GS w n, or the 2D module width, chosen for the width asked
    qint32 alignment = 0;             // as given: -1/-2/-3 or a distance in dots

    // Placement (ESC a n, or GS L for a distance), setup and symbol, then the placement restored
    // (ESC a 0 or GS L 0 0) so the next line starts left-justified at margin 0. The printer must
    // be at the start of a line.
    QByteArray standardModeBytes() const;
};

// Checks every argument and the data for the symbology against the profile; never throws.
BarcodeCommand buildBarcodeCommand(const BarcodeArguments& args, const PrinterProfile& profile);

} // namespace device
