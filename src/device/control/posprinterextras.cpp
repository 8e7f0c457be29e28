// The POS printer control's methods beyond plain printing: transactions, immediate and direct
// output, data validation, logos, statistics, the health check receipt and the stations this
// printer lacks.
#include "device/control/binaryconversion.h"
#include "device/control/controllink.h"
#include "device/control/interactivecheck.h"
#include "device/control/posprintercontrol.h"
#include "device/escpos/escposencoder.h"

#include <QRegularExpression>

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

// ---- calls -------------------------------------------------------------------------------------

qint32 PosPrinterControl::PrintImmediate(qint32 Station, const QString& Data) {
    return runCall(m_result, m_events, "PrintImmediate", [&] { return printImmediate(Station, Data); });
}

qint32 PosPrinterControl::PrintTwoNormal(qint32 /*Stations*/, const QString& /*Data1*/,
                                         const QString& /*Data2*/) {
    // Every station pair names the journal or the slip.
    return absentStationCall("PrintTwoNormal");
}

qint32 PosPrinterControl::TransactionPrint(qint32 Station, qint32 Control) {
    return runCall(m_result, m_events, "TransactionPrint",
                   [&] { return transactionPrint(Station, Control); });
}

qint32 PosPrinterControl::ValidateData(qint32 Station, const QString& Data) {
    return runCall(m_result, m_events, "ValidateData", [&] { return validateData(Station, Data); });
}

qint32 PosPrinterControl::SetLogo(qint32 Location, const QString& Data) {
    return runCall(m_result, m_events, "SetLogo", [&] { return setLogo(Location, Data); });
}

qint32 PosPrinterControl::MarkFeed(qint32 /*Type*/) {
    return absentStationCall("MarkFeed"); // CapRecMarkFeed is false
}

qint32 PosPrinterControl::DirectIO(qint32 Command, qint32& pData, QString& pString) {
    return runCall(m_result, m_events, "DirectIO", [&] { return directIO(Command, pData, pString); });
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

qint32 PosPrinterControl::absentStationCall(const char* method) {
    return runCall(m_result, m_events, method, [&]() -> Outcome {
        if (auto refused = deviceCheck())
            return *refused;
        return OPOS_E_ILLEGAL;
    });
}

void PosPrinterControl::refuseAbsentStation(const char* property) {
    runCall(m_result, m_events, property,
            [&]() -> Outcome { return isOpen() ? OPOS_E_ILLEGAL : OPOS_E_CLOSED; });
}

// ---- statistics --------------------------------------------------------------------------------

template <typename Call> qint32 PosPrinterControl::statisticsCall(const char* method, Call&& call) {
    return runCall(m_result, m_events, method, [&]() -> Outcome {
        if (auto refused = deviceCheck())
            return *refused;
        return call(m_statistics);
    });
}

qint32 PosPrinterControl::ResetStatistics(const QString& StatisticsBuffer) {
    return statisticsCall("ResetStatistics",
                          [&](DeviceStatistics& statistics) { return statistics.reset(StatisticsBuffer); });
}

qint32 PosPrinterControl::RetrieveStatistics(QString& pStatisticsBuffer) {
    // The buffer brings the names asked for and takes the document back.
    const QString request = pStatisticsBuffer;
    return statisticsCall("RetrieveStatistics", [&](DeviceStatistics& statistics) {
        return statistics.retrieve(request, pStatisticsBuffer);
    });
}

qint32 PosPrinterControl::UpdateStatistics(const QString& StatisticsBuffer) {
    return statisticsCall("UpdateStatistics",
                          [&](DeviceStatistics& statistics) { return statistics.update(StatisticsBuffer); });
}

// ---- the methods -------------------------------------------------------------------------------

Outcome PosPrinterControl::printImmediate(qint32 station, const QString& data) {
    if (auto refused = deviceCheck())
        return *refused;
    if (station != PTR_S_RECEIPT)
        return OPOS_E_ILLEGAL;
    // A translator of its own: the lines in progress keep their attributes, and this data ends
    // its own line.
    PrintDataTranslator immediate(m_profile, m_characterSet);
    giveStoredData(immediate);
    immediate.setBaseFont(m_metrics.fontIndex());
    immediate.setMapMode(m_metrics.scale());
    QByteArray bytes = immediate.translate(data);
    if (!data.isEmpty() && !data.endsWith(QLatin1Char('\n')))
        bytes += immediate.translate(u"\n");
    const Outcome outcome = printNow(bytes);
    if (outcome.code == OPOS_SUCCESS)
        count(tallyOf(data));
    return outcome;
}

Outcome PosPrinterControl::transactionPrint(qint32 station, qint32 control) {
    if (auto refused = deviceCheck())
        return *refused;
    if (station != PTR_S_RECEIPT)
        return OPOS_E_ILLEGAL;
    if (control == PTR_TP_TRANSACTION) {
        if (m_transaction || m_sideways.isOpen())
            return OPOS_E_ILLEGAL;
        if (auto busy = busyCheck())
            return *busy;
        m_transaction.emplace();
        return OPOS_SUCCESS;
    }
    if (control != PTR_TP_NORMAL || m_sideways.isOpen())
        return OPOS_E_ILLEGAL;
    if (auto busy = busyCheck())
        return *busy;
    if (!m_transaction)
        return nothingToPrint();
    // The whole transaction is one request; the calls it held complete with it.
    const QByteArray bytes = *std::exchange(m_transaction, std::nullopt);
    const QList<qint32> held = std::exchange(m_transactionIds, {});
    const PrintTally tally = std::exchange(m_transactionTally, {});
    m_nextTally += tally;
    const Outcome outcome = submit(bytes);
    if (outcome.code == OPOS_SUCCESS && m_async) {
        m_heldCompletions.insert(m_outputId, held);
    } else if (outcome.code != OPOS_SUCCESS) {
        // Not printed: the transaction stays open for another try.
        m_transaction = bytes;
        m_transactionIds = held;
        m_transactionTally = tally;
    }
    return outcome;
}

Outcome PosPrinterControl::validateData(qint32 station, const QString& data) {
    if (auto refused = deviceCheck())
        return *refused;
    if (station != PTR_S_RECEIPT)
        return OPOS_E_ILLEGAL;
    return resultCodeOf(m_translator->validate(data));
}

Outcome PosPrinterControl::setLogo(qint32 location, const QString& data) {
    if (auto refused = deviceCheck())
        return *refused;
    if (location != PTR_L_TOP && location != PTR_L_BOTTOM)
        return OPOS_E_ILLEGAL;
    m_logos[location == PTR_L_TOP ? 0 : 1] = data;
    return OPOS_SUCCESS;
}

Outcome PosPrinterControl::directIO(qint32 command, qint32& data, QString& text) {
    if (auto refused = deviceCheck())
        return *refused;
    if (command == kDirectWrite) {
        const std::optional<QByteArray> bytes = fromBinaryString(text, m_binaryConversion);
        if (!bytes)
            return OPOS_E_ILLEGAL;
        const Outcome outcome = printNow(*bytes);
        data = outcome.code == OPOS_SUCCESS ? static_cast<qint32>(bytes->size()) : 0;
        return outcome;
    }
    if (command == kDirectStatus) {
        if (data < 1 || data > 4)
            return OPOS_E_ILLEGAL;
        const std::optional<ExchangeOutcome> answer =
            exchangeAndWait(*m_link, EscPos::realtimeStatus(data), {{StatusQuery::Kind::RealTime, data}});
        if (!answer || answer->result != ExchangeOutcome::Result::Answered || answer->replies.isEmpty())
            return OPOS_E_TIMEOUT;
        data = answer->replies.first();
        return OPOS_SUCCESS;
    }
    return OPOS_E_ILLEGAL;
}

Outcome PosPrinterControl::printNow(const QByteArray& bytes) {
    const std::optional<ExchangeOutcome> ready =
        exchangeAndWait(*m_link, readyCheckBytes(), readyCheckQueries());
    const ReadyCheck check = evaluateReadyCheck(ready.value_or(ExchangeOutcome{}));
    if (check.code != OPOS_SUCCESS)
        return Outcome(check.code, check.extended);
    // GS r is answered in order: once it comes back, everything before it has printed.
    const std::optional<ExchangeOutcome> written =
        exchangeAndWait(*m_link, bytes + EscPos::transmitStatus(1), {{StatusQuery::Kind::Transmit, 1}});
    if (!written)
        return OPOS_E_TIMEOUT;
    switch (written->result) {
    case ExchangeOutcome::Result::Answered:
        return OPOS_SUCCESS;
    case ExchangeOutcome::Result::Faulted: {
        const PrinterStatus status = m_link->status();
        return Outcome(OPOS_E_EXTENDED, status.coverOpen ? OPOS_EPTR_COVER_OPEN : OPOS_EPTR_REC_EMPTY);
    }
    case ExchangeOutcome::Result::LinkDown:
        return OPOS_E_NOHARDWARE;
    case ExchangeOutcome::Result::TimedOut:
    case ExchangeOutcome::Result::Garbled:
        break;
    }
    return OPOS_E_TIMEOUT;
}

// ---- statistics counting -----------------------------------------------------------------------

PosPrinterControl::PrintTally& PosPrinterControl::PrintTally::operator+=(const PrintTally& other) {
    lines += other.lines;
    characters += other.characters;
    feeds += other.feeds;
    cuts += other.cuts;
    barcodes += other.barcodes;
    bitmaps += other.bitmaps;
    return *this;
}

// Lines are line feeds; characters what is printed of the text, escape sequences left out; feeds
// the lines ESC|#lF moves on; cuts every ESC|#P, ESC|#fP and ESC|#sP.
PosPrinterControl::PrintTally PosPrinterControl::tallyOf(const QString& data) {
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

void PosPrinterControl::count(const PrintTally& tally) {
    const std::pair<const QString&, qint64> counts[] = {
        {statistic::ReceiptLinePrintedCount, tally.lines},
        {statistic::ReceiptCharacterPrintedCount, tally.characters},
        {statistic::ReceiptLineFeedCount, tally.feeds},
        {statistic::PaperCutCount, tally.cuts},
        {statistic::BarcodePrintedCount, tally.barcodes},
        {statistic::BitmapPrintedCount, tally.bitmaps},
    };
    for (const auto& [name, value] : counts)
        if (value > 0)
            m_statistics.increment(name, value);
}

// ---- health check ------------------------------------------------------------------------------

// The external check's receipt: who the printer is, a line in each character mode, a bar code,
// and a cut.
QByteArray PosPrinterControl::testReceiptBytes() {
    const QString esc = QStringLiteral("\x1B|");
    const QStringList lines{
        esc + QStringLiteral("cA") + esc + QStringLiteral("bCPosling health check"),
        DeviceName(),
        DeviceDescription(),
        ServiceObjectDescription(),
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
    bytes +=
        m_translator->translate(m_profile.hasCutter ? QStringLiteral("\x1B|fP") : QStringLiteral("\x1B|4lF"));
    m_atLineStart = true;
    return bytes;
}

Outcome PosPrinterControl::printTestReceipt(qint32 level) {
    if (m_sideways.isOpen())
        return OPOS_E_ILLEGAL; // a page is being gathered
    const Outcome outcome = submit(testReceiptBytes(), Delivery::Synchronous);
    const QString title = level == OPOS_CH_INTERACTIVE ? QStringLiteral("Interactive HCheck")
                                                       : QStringLiteral("External HCheck");
    m_checkHealthText = QStringLiteral("%1: %2").arg(title, checkResultText(outcome));
    if (level == OPOS_CH_INTERACTIVE) {
        const QString report =
            QStringLiteral("%1\n%2\n\nA test receipt was sent: the printer's identity, a line in each "
                           "character mode, a bar code (POSLING) and a cut.\n\nResult: %3")
                .arg(DeviceName(), DeviceDescription(), checkResultText(outcome));
        presentInteractiveCheck(title, report);
    }
    return outcome;
}

} // namespace device
