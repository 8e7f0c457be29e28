#include "device/control/receiptcomposer.h"

#include "device/devicelog.h"
#include "device/escpos/escposencoder.h"
#include "opos/oposconstants.h"

#include <QRegularExpression>

namespace device {

using namespace opos;

namespace {

// The ASB items the controls follow: drawer pin, online/offline, errors, roll paper.
constexpr quint8 kAutomaticStatusMask = 0x0F;

// Print data that leaves the printer at the start of a line: a line feed, a feed or a cut.
bool endsAtLineStart(const QString& data) {
    static const QRegularExpression tail(QStringLiteral("(\\n|\\x1B\\|\\d*[lu]F|\\x1B\\|\\d*f?P)$"));
    return tail.match(data).hasMatch();
}

// A cut escape (ESC|#P, ESC|#fP): refused inside a sideways block, as CutPaper is.
bool containsCut(const QString& data) {
    static const QRegularExpression cut(QStringLiteral("\\x1B\\|\\d*f?P"));
    return cut.match(data).hasMatch();
}

// Data whose last escape sequence is a cut leaves a fresh receipt behind.
bool endsWithCut(const QString& data) {
    static const QRegularExpression cut(QStringLiteral("\\x1B\\|\\d*f?P$"));
    return cut.match(data).hasMatch();
}

constexpr qint32 kTurningFlags = PTR_RP_BARCODE | PTR_RP_BITMAP;

} // namespace

Composition Composition::refused(qint32 code) {
    Composition composition;
    composition.kind = Kind::Refused;
    composition.refusal = Outcome(code);
    return composition;
}

Composition Composition::held() {
    Composition composition;
    composition.kind = Kind::Held;
    return composition;
}

Composition Composition::print(QByteArray bytes, std::function<void()> printed) {
    Composition composition;
    composition.kind = Kind::Print;
    composition.bytes = std::move(bytes);
    composition.printed = std::move(printed);
    return composition;
}

// ---- lifecycle ---------------------------------------------------------------------------------

void ReceiptComposer::open(const PrinterProfile& profile) {
    m_profile = profile;
    m_characterSet = m_profile.defaultCharacterSet;
    m_translator.emplace(m_profile, m_characterSet);
    giveStoredData(*m_translator);
    m_metrics.reset(m_profile);
    applyMetrics(false);
    m_sideways.close();
}

void ReceiptComposer::close() {
    m_translator.reset();
    m_sideways.close();
    m_upsideDown = false;
    m_turning = 0;
    m_storedBitmaps.clear();
    m_logos[0].clear();
    m_logos[1].clear();
    m_rotateSpecial = PTR_RP_NORMAL;
    m_setup.clear();
}

void ReceiptComposer::restart() {
    m_translator->reset();
    m_atLineStart = true;
    m_upsideDown = false;
    m_sideways.close();
    m_setup.clear();
}

void ReceiptComposer::dropBlock() {
    m_sideways.close();
}

// ESC|#B prints what SetBitmap stored under the number (an unstored number prints nothing), ESC|tL
// and ESC|bL what SetLogo stored.
void ReceiptComposer::giveStoredData(PrintDataTranslator& translator) const {
    translator.setBitmapSource([this](int number) { return m_storedBitmaps.value(number); });
    translator.setLogoSource([this](int location) { return m_logos[location == PTR_L_BOTTOM ? 1 : 0]; });
}

// ---- settings ----------------------------------------------------------------------------------

Outcome ReceiptComposer::selectCharacterSet(qint32 characterSet) {
    if (!m_profile.characterSets.contains(characterSet))
        return OPOS_E_ILLEGAL;
    m_characterSet = characterSet;
    m_translator->setCharacterSet(characterSet);
    m_setup += EscPos::selectCharacterTable(m_profile.escTForCharacterSet.value(characterSet, 0));
    return OPOS_SUCCESS;
}

// The translator and the sideways pages follow the metrics; the printer gets them in front of the
// next request and whenever its line state is restored.
void ReceiptComposer::applyMetrics(bool tellPrinter) {
    m_translator->setBaseFont(m_metrics.fontIndex());
    m_translator->setMapMode(m_metrics.scale());
    m_sideways.setLimits(m_profile.sidewaysMaxLines, m_profile.sidewaysMaxChars, m_metrics.lineSpacingDots(),
                         m_metrics.font().cellWidth);
    if (tellPrinter)
        m_setup += EscPos::lineSpacing(m_metrics.lineSpacingDots());
}

Outcome ReceiptComposer::setMapMode(qint32 mode) {
    const Outcome outcome = m_metrics.setMapMode(mode);
    applyMetrics(true);
    return outcome;
}

Outcome ReceiptComposer::setLineChars(qint32 chars) {
    const Outcome outcome = m_metrics.setLineChars(chars);
    applyMetrics(true);
    return outcome;
}

Outcome ReceiptComposer::setLineHeight(qint32 height) {
    return m_metrics.setLineHeight(height);
}

Outcome ReceiptComposer::setLineSpacing(qint32 spacing) {
    const Outcome outcome = m_metrics.setLineSpacing(spacing);
    applyMetrics(true);
    return outcome;
}

Outcome ReceiptComposer::setRotateSpecial(qint32 rotation) {
    const bool sideways = rotation == PTR_RP_LEFT90 || rotation == PTR_RP_RIGHT90;
    if (rotation != PTR_RP_NORMAL && rotation != PTR_RP_ROTATE180 && !(sideways && canTurnSideways()))
        return OPOS_E_ILLEGAL;
    m_rotateSpecial = rotation;
    return OPOS_SUCCESS;
}

Outcome ReceiptComposer::storeBitmap(qint32 number, const BitmapArguments& arguments) {
    if (number < 1 || number > kStoredBitmaps)
        return OPOS_E_ILLEGAL;
    if (arguments.fileName.isEmpty()) {
        m_storedBitmaps.remove(number);
        return OPOS_SUCCESS;
    }
    const PreparedBitmap prepared = bitmap(arguments);
    if (prepared.code != OPOS_SUCCESS)
        return Outcome(prepared.code, prepared.extended).because(prepared.reason);
    m_storedBitmaps.insert(number, prepared.standardModeBytes());
    return OPOS_SUCCESS;
}

Outcome ReceiptComposer::setLogo(qint32 location, const QString& data) {
    if (location != PTR_L_TOP && location != PTR_L_BOTTOM)
        return OPOS_E_ILLEGAL;
    m_logos[location == PTR_L_TOP ? 0 : 1] = data;
    return OPOS_SUCCESS;
}

Outcome ReceiptComposer::validate(const QString& data) const {
    return resultCodeOf(m_translator->validate(data));
}

QByteArray ReceiptComposer::lineState() const {
    return EscPos::initialize() +
           EscPos::selectCharacterTable(m_profile.escTForCharacterSet.value(m_characterSet, 0)) +
           EscPos::enableAutomaticStatus(kAutomaticStatusMask) +
           (m_metrics.lineSpacingDots() != m_profile.lineSpacingDots
                ? EscPos::lineSpacing(m_metrics.lineSpacingDots())
                : QByteArray()) +
           (m_upsideDown ? EscPos::upsideDown(true) : QByteArray());
}

// The size arguments, given in MapMode units, go to the encoder in dots.
BarcodeCommand ReceiptComposer::barcodeCommand(const BarcodeArguments& arguments) const {
    BarcodeArguments dots = arguments;
    dots.height = m_metrics.toDots(arguments.height);
    dots.width = m_metrics.toDots(arguments.width);
    dots.alignment = m_metrics.toDots(arguments.alignment);
    return buildBarcodeCommand(dots, m_profile);
}

PreparedBitmap ReceiptComposer::bitmap(const BitmapArguments& arguments) const {
    return prepareBitmap(BitmapArguments{arguments.fileName, m_metrics.toDots(arguments.width),
                                         m_metrics.toDots(arguments.alignment)},
                         m_profile);
}

// ---- text, cuts and rotation -------------------------------------------------------------------

Composition ReceiptComposer::text(const QString& data) {
    if (m_sideways.isOpen())
        return containsCut(data) || !m_sideways.append(data) ? Composition::refused(OPOS_E_ILLEGAL)
                                                             : Composition::held();
    QByteArray bytes = m_translator->translate(data);
    if (!data.isEmpty()) {
        m_atLineStart = endsAtLineStart(data);
        m_receiptBegun = !endsWithCut(data);
    }
    return Composition::print(std::move(bytes));
}

bool ReceiptComposer::canCut(qint32 percentage) const {
    return m_profile.hasCutter && percentage >= 1 && percentage <= PTR_CP_FULLCUT && !m_sideways.isOpen();
}

Composition ReceiptComposer::cut(qint32 percentage) {
    const bool full = percentage == PTR_CP_FULLCUT || !m_profile.hasPartialCut;
    // GS V is taken only at the start of a line; function B feeds the last line past the cutter.
    QByteArray bytes = endPendingLine();
    bytes += EscPos::cut(full, 0);
    m_atLineStart = true;
    m_receiptBegun = false;
    return Composition::print(std::move(bytes));
}

// Bar codes and bitmaps turn with the text only when the call asks for it.
bool ReceiptComposer::canRotate(qint32 rotation) const {
    switch (rotation & ~kTurningFlags) {
    case PTR_RP_NORMAL:
        return true;
    case PTR_RP_LEFT90:
    case PTR_RP_RIGHT90:
        return !m_sideways.isOpen() && canTurnSideways();
    case PTR_RP_ROTATE180:
        return !m_sideways.isOpen();
    default:
        return false;
    }
}

Composition ReceiptComposer::rotate(qint32 rotation) {
    const qint32 turning = rotation & kTurningFlags;
    switch (rotation & ~kTurningFlags) {
    case PTR_RP_LEFT90:
    case PTR_RP_RIGHT90:
        if (m_upsideDown) {
            m_setup += endPendingLine();
            m_setup += EscPos::upsideDown(false);
            m_upsideDown = false;
            m_atLineStart = true;
        }
        m_sideways.open(rotation & ~kTurningFlags);
        m_turning = turning;
        return Composition::held();
    case PTR_RP_ROTATE180: {
        if (m_upsideDown) {
            m_turning = turning;
            return {};
        }
        QByteArray bytes = endPendingLine();
        bytes += EscPos::upsideDown(true);
        return Composition::print(std::move(bytes), [this, turning] {
            m_upsideDown = true;
            m_atLineStart = true;
            m_turning = turning;
        });
    }
    default:
        return endRotation();
    }
}

// RotatePrint back to normal: a sideways block prints (an empty block leaves no blank page; what
// had to go out before it still does, and the block stays open when that fails); upside-down
// printing ends, after the pending line as ESC { counts only at the start of a line.
Composition ReceiptComposer::endRotation() {
    if (m_sideways.isOpen()) {
        Composition composition =
            m_sideways.parts().isEmpty() ? Composition() : Composition::print(sidewaysBlock());
        composition.printed = [this] { m_sideways.close(); };
        composition.endsBlock = true;
        return composition;
    }
    if (!m_upsideDown)
        return {};
    QByteArray bytes = endPendingLine();
    bytes += EscPos::upsideDown(false);
    return Composition::print(std::move(bytes), [this] {
        m_upsideDown = false;
        m_atLineStart = true;
    });
}

QByteArray ReceiptComposer::sidewaysBlock() {
    // The page runs along the paper as far as the longest line or symbol needs, across the full
    // width.
    QByteArray bytes = endPendingLine();
    bytes += EscPos::pageMode();
    bytes += EscPos::pageArea(0, 0, m_profile.lineWidthDots, qMax(1, m_sideways.alongDots()));
    // ESC T 1 runs the text bottom to top (turned left); 3 top to bottom (turned right).
    bytes += EscPos::pageDirection(m_sideways.rotation() == PTR_RP_LEFT90 ? 1 : 3);
    bool lineOpen = false;
    for (const SidewaysBuffer::Part& part : m_sideways.parts()) {
        if (part.isText()) {
            bytes += m_translator->translate(part.text);
            lineOpen = !part.text.endsWith(QLatin1Char('\n'));
            continue;
        }
        // A symbol starts on a line of its own.
        if (lineOpen)
            bytes += m_translator->translate(u"\n");
        lineOpen = false;
        bytes += part.symbol;
    }
    bytes += EscPos::printPage();
    m_atLineStart = true;
    m_receiptBegun = true;
    return bytes;
}

// Ends an unfinished line through the translator, so its line attributes end with it and the
// translator knows the next data starts a new line.
QByteArray ReceiptComposer::endPendingLine() {
    return m_atLineStart ? QByteArray() : m_translator->translate(u"\n");
}

// ---- bar codes and bitmaps ---------------------------------------------------------------------

Composition ReceiptComposer::barcode(const BarcodeCommand& command, qint32 textPosition) {
    const std::optional<SymbolForm> form = symbolForm(PTR_RP_BARCODE);
    if (!form || (*form == SymbolForm::Sideways && command.heightDots > m_profile.lineWidthDots))
        return Composition::refused(OPOS_E_ILLEGAL);
    // The human-readable line is one character cell high, with a little gap to the bars.
    const int height = command.heightDots +
                       (textPosition != PTR_BC_TEXT_NONE ? m_profile.lineHeightDots() + kTextGapDots : 0);
    return symbol(*form, barcodeBytes(command, height, *form), command.widthDots, height);
}

Composition ReceiptComposer::bitmap(const PreparedBitmap& bitmap) {
    const std::optional<SymbolForm> form = symbolForm(PTR_RP_BITMAP);
    if (!form)
        return Composition::refused(OPOS_E_ILLEGAL);
    return symbol(*form, bitmapBytes(bitmap, *form), bitmap.dots.width(), bitmap.dots.height());
}

// How the current rotation prints a bar code (PTR_RP_BARCODE) or bitmap (PTR_RP_BITMAP): into the
// open sideways block, only when the rotation includes it; turned half a turn under upside-down
// printing when it turns with the text; else upright. Nothing: it may not print now.
std::optional<ReceiptComposer::SymbolForm> ReceiptComposer::symbolForm(qint32 kind) const {
    const bool turnsWithText = m_turning & kind;
    if (m_sideways.isOpen())
        return turnsWithText ? std::optional(SymbolForm::InBlock) : std::nullopt;
    if (m_upsideDown)
        return turnsWithText ? SymbolForm::HalfTurned : SymbolForm::Upright;
    // Outside any rotation, RotateSpecial turns bar codes.
    if (kind == PTR_RP_BARCODE && m_rotateSpecial == PTR_RP_ROTATE180)
        return SymbolForm::HalfTurned;
    if (kind == PTR_RP_BARCODE && (m_rotateSpecial == PTR_RP_LEFT90 || m_rotateSpecial == PTR_RP_RIGHT90))
        return SymbolForm::Sideways;
    return SymbolForm::Upright;
}

QByteArray ReceiptComposer::barcodeBytes(const BarcodeCommand& command, int heightDots,
                                         SymbolForm form) const {
    switch (form) {
    case SymbolForm::InBlock:
        return command.setup + command.symbol;
    case SymbolForm::Sideways:
        // Along the paper as far as the symbol is wide; ESC T 1 turns it left, 3 right.
        return EscPos::pageMode() + EscPos::pageArea(0, 0, m_profile.lineWidthDots, command.widthDots) +
               EscPos::pageDirection(m_rotateSpecial == PTR_RP_LEFT90 ? 1 : 3) + command.setup +
               command.symbol + EscPos::printPage();
    case SymbolForm::HalfTurned:
        // A page of its own printed in the opposite direction turns the symbol whatever the printer
        // does with ESC { around bar codes. Its place on the line turns with it: the distance from
        // the left edge is counted from the right.
        return EscPos::pageMode() + EscPos::pageArea(0, 0, m_profile.lineWidthDots, heightDots) +
               EscPos::pageDirection(2) + EscPos::absolutePosition(command.leftDots) + command.setup +
               command.symbol + EscPos::printPage();
    case SymbolForm::Upright:
        break;
    }
    return command.standardModeBytes();
}

QByteArray ReceiptComposer::bitmapBytes(const PreparedBitmap& bitmap, SymbolForm form) const {
    switch (form) {
    case SymbolForm::InBlock:
    case SymbolForm::Sideways: // not a form of bitmaps
        return EscPos::graphics(bitmap.dots);
    case SymbolForm::HalfTurned:
        // The host has the dots: it turns them itself rather than trusting the printer to.
        return halfTurned(bitmap, m_profile).standardModeBytes();
    case SymbolForm::Upright:
        break;
    }
    return bitmap.standardModeBytes();
}

// A block symbol waits in the block; anything else goes on a line of its own.
Composition ReceiptComposer::symbol(SymbolForm form, const QByteArray& symbol, int widthDots,
                                    int heightDots) {
    if (form == SymbolForm::InBlock)
        return m_sideways.appendSymbol(symbol, heightDots, widthDots) ? Composition::held()
                                                                      : Composition::refused(OPOS_E_ILLEGAL);
    QByteArray bytes = endPendingLine();
    m_receiptBegun = true;
    if (m_upsideDown) {
        // ESC { is left off around the symbol, so the printer cannot turn it a second time.
        bytes += EscPos::upsideDown(false);
        bytes += symbol;
        bytes += EscPos::upsideDown(true);
    } else {
        bytes += symbol;
    }
    return Composition::print(std::move(bytes), [this] { m_atLineStart = true; });
}

// ---- immediate output and the test receipt -----------------------------------------------------

QByteArray ReceiptComposer::immediate(const QString& data) const {
    PrintDataTranslator immediate(m_profile, m_characterSet);
    giveStoredData(immediate);
    immediate.setBaseFont(m_metrics.fontIndex());
    immediate.setMapMode(m_metrics.scale());
    QByteArray bytes = immediate.translate(data);
    if (!data.isEmpty() && !endsAtLineStart(data))
        bytes += immediate.translate(u"\n");
    return bytes;
}

QByteArray ReceiptComposer::testReceipt(const QStringList& identity) {
    const QString esc = QStringLiteral("\x1B|");
    QStringList lines{esc + QStringLiteral("cA") + esc + QStringLiteral("bCPosling health check")};
    lines += identity;
    lines += QStringList{
        QStringLiteral("Normal characters"),
        esc + QStringLiteral("bCBold"),
        esc + QStringLiteral("uCUnderlined"),
        esc + QStringLiteral("rvCReverse video"),
        esc + QStringLiteral("2CDouble wide"),
        esc + QStringLiteral("3CDouble high"),
        esc + QStringLiteral("4CDouble wide and high"),
    };
    QByteArray bytes = endPendingLine();
    bytes += m_translator->translate(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    const BarcodeCommand barcode =
        buildBarcodeCommand(BarcodeArguments{QStringLiteral("POSLING"), PTR_BCS_Code128, 60,
                                             m_profile.lineWidthDots / 2, PTR_BC_CENTER, PTR_BC_TEXT_BELOW},
                            m_profile);
    if (barcode.code == OPOS_SUCCESS)
        bytes += barcode.standardModeBytes();
    const bool ownSlip = !m_receiptBegun;
    const QString end = !ownSlip ? QStringLiteral("\n") // a blank line between it and what follows
                        : m_profile.hasCutter ? QStringLiteral("\x1B|fP")
                                              : QStringLiteral("\x1B|4lF"); // past the tear bar
    m_atLineStart = true;
    bytes += m_translator->translate(end);
    m_receiptBegun = !ownSlip;
    m_testReceiptPrinted = true;
    return bytes;
}

} // namespace device
