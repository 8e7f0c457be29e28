#include "device/escpos/barcodecommand.h"

#include "device/escpos/escposencoder.h"
#include "device/escpos/linearsymbol.h"
#include "device/escpos/matrixsymbol.h"
#include "device/profile/printerprofile.h"

#include <optional>

namespace device {

namespace {

constexpr int kMaxModule = 6;

BarcodeCommand refused(const QString& reason) {
    BarcodeCommand command;
    command.code = opos::OPOS_E_ILLEGAL;
    command.reason = reason;
    return command;
}

// The argument checks that do not depend on the symbology; an empty string when all are good.
QString argumentProblem(const BarcodeArguments& args, const PrinterProfile& profile) {
    if (args.height < 1 || args.height > 255)
        return QStringLiteral("Bar code height %1 is outside 1 to 255 dots.").arg(args.height);
    if (args.width <= 0)
        return QStringLiteral("Bar code width %1 must be positive.").arg(args.width);
    if (args.width > kMaxModule && args.width > profile.lineWidthDots)
        return QStringLiteral("Bar code width %1 is wider than the line (%2 dots).")
            .arg(args.width)
            .arg(profile.lineWidthDots);
    if (args.alignment < opos::PTR_BC_RIGHT)
        return QStringLiteral("Bar code alignment %1 is not valid.").arg(args.alignment);
    if (args.alignment >= profile.lineWidthDots)
        return QStringLiteral("Bar code alignment %1 leaves no room on the line.").arg(args.alignment);
    if (args.textPosition < opos::PTR_BC_TEXT_BELOW || args.textPosition > opos::PTR_BC_TEXT_NONE)
        return QStringLiteral("Bar code text position %1 is not valid.").arg(args.textPosition);
    return QString();
}

// Room from the symbol's left edge to the end of the line.
int roomFor(qint32 alignment, const PrinterProfile& profile) {
    return alignment >= 0 ? profile.lineWidthDots - alignment : profile.lineWidthDots;
}

int leftEdge(qint32 alignment, int widthDots, const PrinterProfile& profile) {
    switch (alignment) {
    case opos::PTR_BC_LEFT:
        return 0;
    case opos::PTR_BC_CENTER:
        return (profile.lineWidthDots - widthDots) / 2;
    case opos::PTR_BC_RIGHT:
        return profile.lineWidthDots - widthDots;
    default:
        return alignment;
    }
}

// A two-width code needs the thick width of the module in the profile's GS w table.
bool fits(const BarWidth& bars, int module, int room, const PrinterProfile& profile) {
    const bool thickKnown = bars.thickElements == 0 || profile.thickBarDotsFor(module) > 0;
    return thickKnown && bars.dots(module, profile) <= room;
}

// 1..6 is the module itself; a larger width is the total, met by the widest module that fits.
std::optional<int> moduleFor(const BarWidth& bars, int width, int room, const PrinterProfile& profile) {
    if (width <= kMaxModule)
        return fits(bars, width, room, profile) ? std::optional<int>(width) : std::nullopt;
    for (int module = kMaxModule; module >= 1; --module)
        if (fits(bars, module, std::min(width, room), profile))
            return module;
    return std::nullopt;
}

BarcodeCommand linearCommand(const BarcodeArguments& args, const PrinterProfile& profile) {
    const LinearSymbol linear = encodeLinear(args.symbology, args.data);
    if (!linear.error.isEmpty())
        return refused(linear.error);
    const int room = roomFor(args.alignment, profile);
    const std::optional<int> module = moduleFor(linear.width, args.width, room, profile);
    if (!module)
        return refused(
            QStringLiteral("The bar code does not fit in %1 dots at width %2.").arg(room).arg(args.width));
    BarcodeCommand command;
    command.moduleWidth = *module;
    command.widthDots = linear.width.dots(*module, profile);
    command.heightDots = args.height;
    const int hri = opos::PTR_BC_TEXT_NONE - args.textPosition; // -11, -12, -13 -> 0, 1, 2
    command.setup = EscPos::barcodeSetup(args.height, *module, hri);
    command.symbol = EscPos::barcode(linear.gsKType, linear.payload);
    return command;
}

// 2D data goes out as Latin-1 bytes.
std::optional<QByteArray> latin1Of(const QString& data) {
    for (QChar c : data)
        if (c.unicode() > 0xFF)
            return std::nullopt;
    return data.toLatin1();
}

BarcodeCommand matrixCommand(const BarcodeArguments& args, const PrinterProfile& profile) {
    const bool pdf417 = args.symbology == opos::PTR_BCS_PDF417;
    if (pdf417 ? !profile.hasPdf417 : !profile.hasMaxiCode)
        return refused(QStringLiteral("This printer does not print symbology %1.").arg(args.symbology));
    const std::optional<QByteArray> data = latin1Of(args.data);
    if (!data)
        return refused(QStringLiteral("Two-dimensional bar codes take characters up to U+00FF only."));
    const int room = roomFor(args.alignment, profile);
    const MatrixSymbol matrix = pdf417 ? buildPdf417(*data, args.width, args.height, room)
                                       : buildMaxiCode(*data, args.width, room, profile.dpi);
    if (!matrix.error.isEmpty())
        return refused(matrix.error);
    BarcodeCommand command;
    command.setup = matrix.setup;
    command.symbol = matrix.symbol;
    command.widthDots = matrix.widthDots;
    command.heightDots = matrix.heightDots;
    return command;
}

} // namespace

QByteArray BarcodeCommand::standardModeBytes() const {
    if (code != opos::OPOS_SUCCESS)
        return QByteArray();
    if (alignment >= 0)
        return EscPos::leftMargin(alignment) + setup + symbol + EscPos::leftMargin(0);
    return EscPos::justify(opos::PTR_BC_LEFT - alignment) + setup + symbol + EscPos::justify(0);
}

BarcodeCommand buildBarcodeCommand(const BarcodeArguments& args, const PrinterProfile& profile) {
    if (const QString problem = argumentProblem(args, profile); !problem.isEmpty())
        return refused(problem);
    BarcodeCommand command;
    if (isLinearSymbology(args.symbology))
        command = linearCommand(args, profile);
    else if (args.symbology == opos::PTR_BCS_PDF417 || args.symbology == opos::PTR_BCS_MAXICODE)
        command = matrixCommand(args, profile);
    else
        return refused(QStringLiteral("Symbology %1 cannot be printed.").arg(args.symbology));
    if (command.code != opos::OPOS_SUCCESS)
        return command;
    command.alignment = args.alignment;
    command.leftDots = leftEdge(args.alignment, command.widthDots, profile);
    return command;
}

} // namespace device
