#pragma once

#include "device/control/printmetrics.h"
#include "device/control/resultfunnel.h"
#include "device/control/sidewaysbuffer.h"
#include "device/escpos/barcodecommand.h"
#include "device/escpos/bitmapraster.h"
#include "device/escpos/printdatatranslator.h"
#include "device/profile/printerprofile.h"
#include "opos/oposconstants.h"

#include <QMap>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

namespace device {

// What an output call asks of the printer, as the composer made it: bytes to print, a part taken
// into the open sideways block, nothing to print, or a refusal.
struct Composition {
    enum class Kind { Refused, Held, Nothing, Print };
    Kind kind = Kind::Nothing;
    Outcome refusal;
    QByteArray bytes;
    std::function<void()> printed; // once the printer has the request
    bool endsBlock = false;        // a sideways block went out: the calls it held complete with it

    static Composition refused(qint32 code);
    static Composition held();
    static Composition print(QByteArray bytes, std::function<void()> printed = {});
};

// Composes the receipt station's output into ESC/POS bytes, with no I/O: the line in progress,
// upside-down printing and sideways blocks, where bar codes and bitmaps go and how they turn, the
// bitmaps and logos stored on the host, the line metrics and the character set. What the printer
// must be told before the next request (a new code page, line spacing, an ended rotation) waits
// as setup until the next request takes it.
class ReceiptComposer {
public:
    void open(const PrinterProfile& profile);
    void close();
    // Enable sends the line state to a printer that prints upright until then.
    void beginEnable() {
        m_upsideDown = false;
        m_testReceiptPrinted = false;
    }
    // The printer was initialised: the line, the rotation and the setup start afresh.
    void restart();
    void dropBlock(); // disabled: an open sideways block is given up

    const PrinterProfile& profile() const { return m_profile; }
    const PrintMetrics& metrics() const { return m_metrics; }
    qint32 characterSet() const { return m_characterSet; }
    qint32 rotateSpecial() const { return m_rotateSpecial; }
    bool isBlockOpen() const { return m_sideways.isOpen(); }
    bool canTurnSideways() const { return m_profile.sidewaysMaxLines > 0; }

    Outcome selectCharacterSet(qint32 characterSet);
    Outcome setMapMode(qint32 mode);
    Outcome setLineChars(qint32 chars);
    Outcome setLineHeight(qint32 height);
    Outcome setLineSpacing(qint32 spacing);
    Outcome setRotateSpecial(qint32 rotation);
    // SetBitmap: kept on the host, as the printer's own image memory wears out and differs between
    // models. An empty file name takes the number's bitmap back.
    Outcome storeBitmap(qint32 number, const BitmapArguments& arguments);
    Outcome setLogo(qint32 location, const QString& data);
    Outcome validate(const QString& data) const;

    QByteArray takeSetup() { return std::exchange(m_setup, {}); }
    void putBackSetup(const QByteArray& setup) { m_setup.prepend(setup); }
    bool hasSetup() const { return !m_setup.isEmpty(); }
    // What the printer is set to between requests: reset, code page, automatic status back, line
    // spacing, rotation. Sent at enable, and again before a request when the printer's buffer had
    // to be cleared.
    QByteArray lineState() const;

    // A bar code or bitmap of the arguments given in MapMode units.
    BarcodeCommand barcodeCommand(const BarcodeArguments& arguments) const;
    PreparedBitmap bitmap(const BitmapArguments& arguments) const;

    bool canCut(qint32 percentage) const;
    bool canRotate(qint32 rotation) const;
    Composition text(const QString& data);
    Composition cut(qint32 percentage);
    Composition rotate(qint32 rotation);
    Composition barcode(const BarcodeCommand& command, qint32 textPosition);
    Composition bitmap(const PreparedBitmap& bitmap);
    // PrintImmediate's data with a translator of its own: the line in progress keeps its
    // attributes, and the data ends its own line.
    QByteArray immediate(const QString& data) const;
    // The health check's receipt: identity, a line in each character mode, a bar code, and a cut
    // when it is a slip of its own. Inside a receipt begun (the property report) it ends with a
    // blank line instead: whoever began the receipt cuts it.
    QByteArray testReceipt(const QStringList& identity);
    // Whether a test receipt was composed since the device was enabled.
    bool testReceiptPrinted() const { return m_testReceiptPrinted; }

    static constexpr int kStoredBitmaps = 20;

private:
    // Where and how a bar code or bitmap prints under the current rotation.
    // Sideways: a page of its own turned as RotateSpecial says (bar codes outside a rotation).
    enum class SymbolForm { Upright, HalfTurned, InBlock, Sideways };
    std::optional<SymbolForm> symbolForm(qint32 kind) const;
    QByteArray barcodeBytes(const BarcodeCommand& command, int heightDots, SymbolForm form) const;
    QByteArray bitmapBytes(const PreparedBitmap& bitmap, SymbolForm form) const;
    Composition symbol(SymbolForm form, const QByteArray& symbol, int widthDots, int heightDots);
    Composition endRotation();
    QByteArray sidewaysBlock();
    QByteArray endPendingLine();
    void applyMetrics(bool tellPrinter);
    void giveStoredData(PrintDataTranslator& translator) const;

    static constexpr int kTextGapDots = 4;

    PrinterProfile m_profile;
    std::optional<PrintDataTranslator> m_translator;
    SidewaysBuffer m_sideways;
    PrintMetrics m_metrics;
    qint32 m_characterSet = 0;
    qint32 m_rotateSpecial = opos::PTR_RP_NORMAL;
    bool m_upsideDown = false;
    qint32 m_turning = 0; // PTR_RP_BARCODE and PTR_RP_BITMAP of the current rotation
    bool m_atLineStart = true;
    bool m_receiptBegun = false; // something printed since the last cut
    bool m_testReceiptPrinted = false;
    QMap<int, QByteArray> m_storedBitmaps; // SetBitmap's numbers and the bytes that print them
    QString m_logos[2];                    // SetLogo's top and bottom
    QByteArray m_setup;
};

} // namespace device
