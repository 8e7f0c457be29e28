// The POS printer control's methods and writable properties: each makes the checks OPOS puts in
// front of it, in the standard's order (device, station, arguments, busy), and hands the work on
// to the composer and the submitter.
#include "device/control/binaryconversion.h"
#include "device/control/posprintercontrol.h"
#include "device/escpos/escposencoder.h"

namespace device {

using namespace opos;

namespace {

// DirectIO commands of this service.
constexpr qint32 kDirectWrite = 1;  // pString: bytes for the printer, as they are; pData: count sent
constexpr qint32 kDirectStatus = 2; // pData in: n of DLE EOT n (1..4); out: the status byte

QString checkResultText(const Outcome& outcome) {
    if (outcome.code == OPOS_SUCCESS)
        return QStringLiteral("Successful");
    if (outcome.code == OPOS_E_EXTENDED)
        return outcome.extended == OPOS_EPTR_COVER_OPEN ? QStringLiteral("Cover Open")
                                                        : QStringLiteral("Paper Empty");
    if (outcome.code == OPOS_E_OFFLINE)
        return QStringLiteral("Offline");
    return QStringLiteral("Not Responding");
}

} // namespace

template <typename Body>
qint32 PosPrinterControl::receiptCall(const char* method, qint32 station, Body&& body) {
    return m_core.callWhenEnabled(method, [&]() -> Outcome {
        if (station != PTR_S_RECEIPT)
            return OPOS_E_ILLEGAL;
        return body();
    });
}

qint32 PosPrinterControl::absentStationCall(const char* method) {
    return m_core.callWhenEnabled(method, []() -> Outcome { return OPOS_E_ILLEGAL; });
}

void PosPrinterControl::refuseAbsentStation(const char* property) {
    m_core.callWhenOpen(property, []() -> Outcome { return OPOS_E_ILLEGAL; });
}

Outcome PosPrinterControl::print(const Composition& composition, const PrintTally& tally) {
    if (composition.kind == Composition::Kind::Refused)
        return composition.refusal;
    m_submitter.addTally(tally);
    if (composition.kind == Composition::Kind::Held)
        return m_submitter.holdForBlock();
    const Outcome outcome = composition.kind == Composition::Kind::Print
                                ? m_submitter.submit(composition.bytes)
                                : m_submitter.nothingToPrint();
    if (outcome.code == OPOS_SUCCESS) {
        if (composition.printed)
            composition.printed();
        if (composition.endsBlock)
            m_submitter.blockPrinted();
    }
    return outcome;
}

// ---- printing ----------------------------------------------------------------------------------

qint32 PosPrinterControl::PrintNormal(qint32 Station, const QString& Data) {
    return receiptCall("PrintNormal", Station, [&]() -> Outcome {
        if (auto busy = m_submitter.busyCheck())
            return *busy;
        return print(m_composer.text(Data), PrintTally::of(Data));
    });
}

qint32 PosPrinterControl::CutPaper(qint32 Percentage) {
    return m_core.callWhenEnabled("CutPaper", [&]() -> Outcome {
        if (!m_composer.canCut(Percentage))
            return OPOS_E_ILLEGAL;
        if (auto busy = m_submitter.busyCheck())
            return *busy;
        PrintTally cut;
        cut.cuts = 1;
        return print(m_composer.cut(Percentage), cut);
    });
}

qint32 PosPrinterControl::RotatePrint(qint32 Station, qint32 Rotation) {
    return receiptCall("RotatePrint", Station, [&]() -> Outcome {
        if (!m_composer.canRotate(Rotation))
            return OPOS_E_ILLEGAL;
        if (auto busy = m_submitter.busyCheck())
            return *busy;
        return print(m_composer.rotate(Rotation));
    });
}

qint32 PosPrinterControl::PrintBarCode(qint32 Station, const QString& Data, qint32 Symbology, qint32 Height,
                                       qint32 Width, qint32 Alignment, qint32 TextPosition) {
    return receiptCall("PrintBarCode", Station, [&]() -> Outcome {
        const BarcodeCommand command = m_composer.barcodeCommand(
            BarcodeArguments{Data, Symbology, Height, Width, Alignment, TextPosition});
        if (command.code != OPOS_SUCCESS) {
            return Outcome(command.code).because(command.reason);
        }
        if (auto busy = m_submitter.busyCheck())
            return *busy;
        PrintTally barcode;
        barcode.barcodes = 1;
        return print(m_composer.barcode(command, TextPosition), barcode);
    });
}

qint32 PosPrinterControl::SetBitmap(qint32 BitmapNumber, qint32 Station, const QString& FileName,
                                    qint32 Width, qint32 Alignment) {
    return receiptCall("SetBitmap", Station, [&] {
        return m_composer.storeBitmap(BitmapNumber, BitmapArguments{FileName, Width, Alignment});
    });
}

qint32 PosPrinterControl::PrintBitmap(qint32 Station, const QString& FileName, qint32 Width,
                                      qint32 Alignment) {
    return receiptCall("PrintBitmap", Station, [&]() -> Outcome {
        const PreparedBitmap bitmap = m_composer.bitmap(BitmapArguments{FileName, Width, Alignment});
        if (bitmap.code != OPOS_SUCCESS) {
            return Outcome(bitmap.code, bitmap.extended).because(bitmap.reason);
        }
        if (auto busy = m_submitter.busyCheck())
            return *busy;
        PrintTally printed;
        printed.bitmaps = 1;
        return print(m_composer.bitmap(bitmap), printed);
    });
}

qint32 PosPrinterControl::PrintImmediate(qint32 Station, const QString& Data) {
    return receiptCall("PrintImmediate", Station, [&] {
        return m_submitter.printNow(m_composer.immediate(Data), PrintTally::of(Data));
    });
}

qint32 PosPrinterControl::PrintTwoNormal(qint32 /*Stations*/, const QString& /*Data1*/,
                                         const QString& /*Data2*/) {
    // Every station pair names the journal or the slip.
    return absentStationCall("PrintTwoNormal");
}

qint32 PosPrinterControl::TransactionPrint(qint32 Station, qint32 Control) {
    return receiptCall("TransactionPrint", Station, [&]() -> Outcome {
        if (Control == PTR_TP_TRANSACTION) {
            if (m_submitter.inTransaction() || m_composer.isBlockOpen())
                return OPOS_E_ILLEGAL;
            if (auto busy = m_submitter.busyCheck())
                return *busy;
            m_submitter.beginTransaction();
            return OPOS_SUCCESS;
        }
        if (Control != PTR_TP_NORMAL || m_composer.isBlockOpen())
            return OPOS_E_ILLEGAL;
        if (auto busy = m_submitter.busyCheck())
            return *busy;
        return m_submitter.endTransaction();
    });
}

qint32 PosPrinterControl::ClearOutput() {
    return m_core.callWhenOpen("ClearOutput", [&]() -> Outcome {
        if (!m_core.isClaimed())
            return OPOS_E_NOTCLAIMED;
        m_recovery.clearOutput();
        return OPOS_SUCCESS;
    });
}

qint32 PosPrinterControl::ValidateData(qint32 Station, const QString& Data) {
    return receiptCall("ValidateData", Station, [&] { return m_composer.validate(Data); });
}

qint32 PosPrinterControl::SetLogo(qint32 Location, const QString& Data) {
    return m_core.callWhenEnabled("SetLogo", [&] { return m_composer.setLogo(Location, Data); });
}

qint32 PosPrinterControl::MarkFeed(qint32 /*Type*/) {
    return absentStationCall("MarkFeed"); // CapRecMarkFeed is false
}

qint32 PosPrinterControl::BeginInsertion(qint32 /*Timeout*/) {
    return absentStationCall("BeginInsertion");
}

qint32 PosPrinterControl::EndInsertion() {
    return absentStationCall("EndInsertion");
}

qint32 PosPrinterControl::BeginRemoval(qint32 /*Timeout*/) {
    return absentStationCall("BeginRemoval");
}

qint32 PosPrinterControl::EndRemoval() {
    return absentStationCall("EndRemoval");
}

qint32 PosPrinterControl::ChangePrintSide(qint32 /*Side*/) {
    return absentStationCall("ChangePrintSide");
}

qint32 PosPrinterControl::DirectIO(qint32 Command, qint32& pData, QString& pString) {
    return m_core.callWhenEnabled("DirectIO", [&] { return directIO(Command, pData, pString); });
}

Outcome PosPrinterControl::directIO(qint32 command, qint32& data, QString& text) {
    if (command == kDirectWrite) {
        const std::optional<QByteArray> bytes = fromBinaryString(text, m_core.binaryConversion());
        if (!bytes)
            return OPOS_E_ILLEGAL;
        const Outcome outcome = m_submitter.printNow(*bytes);
        data = outcome.code == OPOS_SUCCESS ? static_cast<qint32>(bytes->size()) : 0;
        return outcome;
    }
    if (command == kDirectStatus) {
        if (data < 1 || data > 4)
            return OPOS_E_ILLEGAL;
        const std::optional<ExchangeOutcome> answer =
            exchangeAndWait(link(), EscPos::realtimeStatus(data), {{StatusQuery::Kind::RealTime, data}});
        if (!answer || answer->result != ExchangeOutcome::Result::Answered || answer->replies.isEmpty())
            return OPOS_E_TIMEOUT;
        data = answer->replies.first();
        return OPOS_SUCCESS;
    }
    return OPOS_E_ILLEGAL;
}

// ---- health check ------------------------------------------------------------------------------

qint32 PosPrinterControl::CheckHealth(qint32 Level) {
    return m_core.callWhenEnabled("CheckHealth", [&]() -> Outcome {
        static const char* const names[] = {"Internal", "External", "Interactive"};
        if (Level < OPOS_CH_INTERNAL || Level > OPOS_CH_INTERACTIVE)
            return OPOS_E_ILLEGAL;
        if (auto busy = m_submitter.busyCheck())
            return *busy;
        if (Level != OPOS_CH_INTERNAL)
            return printTestReceipt(Level);
        if (!seesStatus()) {
            m_core.setCheckHealthText(
                QStringLiteral("Internal HCheck: Not checked (the printer answers nothing)"));
            return OPOS_SUCCESS;
        }
        // A status round trip; nothing is printed.
        const std::optional<ExchangeOutcome> answer =
            exchangeAndWait(link(), readyCheckBytes(), readyCheckQueries());
        const ReadyCheck check = evaluateReadyCheck(answer.value_or(ExchangeOutcome{}));
        m_core.setCheckHealthText(
            QStringLiteral("%1 HCheck: %2").arg(QLatin1String(names[Level - 1]), check.text));
        return check.code == OPOS_E_NOHARDWARE ? OPOS_E_NOHARDWARE : OPOS_SUCCESS;
    });
}

Outcome PosPrinterControl::printTestReceipt(qint32 level) {
    if (m_composer.isBlockOpen())
        return OPOS_E_ILLEGAL; // a page is being gathered
    const QString title = level == OPOS_CH_INTERACTIVE ? QStringLiteral("Interactive HCheck")
                                                       : QStringLiteral("External HCheck");
    // The interactive check prints the receipt the external one printed only when asked to.
    if (level == OPOS_CH_INTERACTIVE && m_composer.testReceiptPrinted() &&
        !m_services.ask(title,
                        QStringLiteral("%1\n%2\n\nThe test receipt has been printed since the device was "
                                       "enabled. Print it again?")
                            .arg(DeviceName(), DeviceDescription()))) {
        m_core.setCheckHealthText(
            QStringLiteral(
                "%1: Not printed again (the test receipt was printed since the device was enabled)")
                .arg(title));
        return OPOS_SUCCESS;
    }
    const QByteArray receipt =
        m_composer.testReceipt({DeviceName(), DeviceDescription(), ServiceObjectDescription()});
    const Outcome outcome = m_submitter.submit(receipt, OutputSubmitter::Delivery::Synchronous);
    m_core.setCheckHealthText(QStringLiteral("%1: %2").arg(title, checkResultText(outcome)));
    if (level == OPOS_CH_INTERACTIVE) {
        const QString report =
            QStringLiteral("%1\n%2\n\nA test receipt was sent: the printer's identity, a line in each "
                           "character mode, a bar code (POSLING) and a cut.\n\nResult: %3")
                .arg(DeviceName(), DeviceDescription(), checkResultText(outcome));
        m_services.presentInteractiveCheck(title, report);
    }
    return outcome;
}

// ---- writable properties -----------------------------------------------------------------------

void PosPrinterControl::setAsyncMode(bool async) {
    m_core.callWhenOpen("AsyncMode", [&]() -> Outcome {
        m_submitter.setAsync(async);
        return OPOS_SUCCESS;
    });
}

void PosPrinterControl::setFlagWhenIdle(bool flag) {
    m_core.callWhenOpen("FlagWhenIdle", [&]() -> Outcome {
        m_status.setFlagWhenIdle(flag);
        if (flag && !m_submitter.hasPending())
            onOutputIdle();
        return OPOS_SUCCESS;
    });
}

void PosPrinterControl::setCharacterSet(qint32 characterSet) {
    m_core.callWhenEnabled("CharacterSet", [&] { return m_composer.selectCharacterSet(characterSet); });
}

void PosPrinterControl::setMapMode(qint32 mode) {
    m_core.callWhenEnabled("MapMode", [&] { return m_composer.setMapMode(mode); });
}

// Characters go out in the printer's code page as they are mapped; unmapped output is not offered.
void PosPrinterControl::setMapCharacterSet(bool map) {
    m_core.callWhenOpen("MapCharacterSet", [&]() -> Outcome { return map ? OPOS_E_ILLEGAL : OPOS_SUCCESS; });
}

void PosPrinterControl::setRotateSpecial(qint32 rotation) {
    m_core.callWhenOpen("RotateSpecial", [&] { return m_composer.setRotateSpecial(rotation); });
}

// No cartridge sensor: notification cannot be turned on, and the one cartridge prints primary.
void PosPrinterControl::setCartridgeNotify(qint32 notify) {
    m_core.callWhenOpen("CartridgeNotify",
                        [&]() -> Outcome { return notify == 0 ? OPOS_SUCCESS : OPOS_E_ILLEGAL; });
}

void PosPrinterControl::setRecCurrentCartridge(qint32 cartridge) {
    m_core.callWhenEnabled("RecCurrentCartridge", [&]() -> Outcome {
        return cartridge == PTR_COLOR_PRIMARY ? OPOS_SUCCESS : OPOS_E_ILLEGAL;
    });
}

// A thermal head prints one quality; the setting is kept as asked.
void PosPrinterControl::setRecLetterQuality(bool quality) {
    m_core.callWhenEnabled("RecLetterQuality", [&]() -> Outcome {
        m_letterQuality = quality;
        return OPOS_SUCCESS;
    });
}

void PosPrinterControl::setRecLineChars(qint32 chars) {
    m_core.callWhenEnabled("RecLineChars", [&] { return m_composer.setLineChars(chars); });
}

void PosPrinterControl::setRecLineHeight(qint32 height) {
    m_core.callWhenEnabled("RecLineHeight", [&] { return m_composer.setLineHeight(height); });
}

void PosPrinterControl::setRecLineSpacing(qint32 spacing) {
    m_core.callWhenEnabled("RecLineSpacing", [&] { return m_composer.setLineSpacing(spacing); });
}

} // namespace device
