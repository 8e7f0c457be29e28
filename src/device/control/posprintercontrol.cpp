#include "device/control/posprintercontrol.h"

#include "device/control/controllink.h"
#include "device/control/controlrules.h"
#include "device/control/syncwait.h"
#include "device/escpos/escposencoder.h"
#include "device/registry/deviceregistry.h"
#include "opos/problemnote.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>

namespace device {

using namespace opos;

namespace {

// The ASB items the controls follow: drawer pin, online/offline, errors, roll paper.
constexpr quint8 kAutomaticStatusMask = 0x0F;

// Print data that leaves the printer at the start of a line: a line feed, a feed or a cut.
// A printer that cannot print until its cover is closed, paper loaded or it is back online.
bool isStopped(const PrinterStatus& status) {
    return status.coverOpen || status.paperEnd || status.offline;
}

bool endsAtLineStart(const QString& data) {
    static const QRegularExpression tail(QStringLiteral("(\\n|\\x1B\\|\\d*[lu]F|\\x1B\\|\\d*f?P)$"));
    return tail.match(data).hasMatch();
}

// A cut escape (ESC|#P, ESC|#fP): refused inside a sideways block, as CutPaper is.
bool containsCut(const QString& data) {
    static const QRegularExpression cut(QStringLiteral("\\x1B\\|\\d*f?P"));
    return cut.match(data).hasMatch();
}

} // namespace

PosPrinterControl::PosPrinterControl(QObject* parent)
    : opos::PosPrinter(parent), m_events([this](const PendingEvent& e) { deliver(e); }, this),
      m_output(this) {
    connect(&m_output, &OutputQueue::completed, this, &PosPrinterControl::onRequestCompleted);
    connect(&m_output, &OutputQueue::failed, this, &PosPrinterControl::onRequestFailed);
    connect(&m_output, &OutputQueue::drained, this, &PosPrinterControl::onQueueDrained);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &PosPrinterControl::retryWhenAnswering);
    connect(&m_power, &PowerWatch::stateChanged, this, &PosPrinterControl::postStatus);
}

PosPrinterControl::~PosPrinterControl() {
    if (isOpen())
        closeDevice();
}

// ---- calls -------------------------------------------------------------------------------------

qint32 PosPrinterControl::Open(const QString& DeviceName) {
    return runCall(m_result, m_events, "Open", [&] { return openDevice(DeviceName); });
}

qint32 PosPrinterControl::Claim(qint32 Timeout) {
    return runCall(m_result, m_events, "Claim", [&] { return claimDevice(Timeout); });
}

qint32 PosPrinterControl::ReleaseDevice() {
    return runCall(m_result, m_events, "ReleaseDevice", [&] { return releaseDevice(); });
}

qint32 PosPrinterControl::Close() {
    return runCall(m_result, m_events, "Close", [&] { return closeDevice(); });
}

qint32 PosPrinterControl::CheckHealth(qint32 Level) {
    return runCall(m_result, m_events, "CheckHealth", [&] { return checkHealth(Level); });
}

qint32 PosPrinterControl::PrintNormal(qint32 Station, const QString& Data) {
    return runCall(m_result, m_events, "PrintNormal", [&] { return printNormal(Station, Data); });
}

qint32 PosPrinterControl::RotatePrint(qint32 Station, qint32 Rotation) {
    return runCall(m_result, m_events, "RotatePrint", [&] { return rotatePrint(Station, Rotation); });
}

qint32 PosPrinterControl::CutPaper(qint32 Percentage) {
    return runCall(m_result, m_events, "CutPaper", [&] { return cutPaper(Percentage); });
}

qint32 PosPrinterControl::PrintBarCode(qint32 Station, const QString& Data, qint32 Symbology, qint32 Height,
                                       qint32 Width, qint32 Alignment, qint32 TextPosition) {
    return runCall(m_result, m_events, "PrintBarCode", [&] {
        return printBarCode(Station,
                            BarcodeArguments{Data, Symbology, Height, Width, Alignment, TextPosition});
    });
}

qint32 PosPrinterControl::SetBitmap(qint32 BitmapNumber, qint32 Station, const QString& FileName,
                                    qint32 Width, qint32 Alignment) {
    return runCall(m_result, m_events, "SetBitmap", [&] {
        return setBitmap(BitmapNumber, Station, BitmapArguments{FileName, Width, Alignment});
    });
}

qint32 PosPrinterControl::PrintBitmap(qint32 Station, const QString& FileName, qint32 Width,
                                      qint32 Alignment) {
    return runCall(m_result, m_events, "PrintBitmap", [&] {
        return printBitmap(Station, BitmapArguments{FileName, Width, Alignment});
    });
}

qint32 PosPrinterControl::ClaimDevice(qint32 Timeout) {
    return runCall(m_result, m_events, "ClaimDevice", [&] { return claimDevice(Timeout); });
}

qint32 PosPrinterControl::ClearOutput() {
    return runCall(m_result, m_events, "ClearOutput", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        if (!m_claimed)
            return OPOS_E_NOTCLAIMED;
        clearQueuedOutput();
        return OPOS_SUCCESS;
    });
}

void PosPrinterControl::setDeviceEnabled(bool enabled) {
    runCall(m_result, m_events, "DeviceEnabled", [&] {
        return switchEnabled(
            isOpen(), m_enabled, enabled, [&] { return enableDevice(); }, [&] { disableDevice(); });
    });
}

void PosPrinterControl::setAsyncMode(bool async) {
    runCall(m_result, m_events, "AsyncMode", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        m_async = async;
        return OPOS_SUCCESS;
    });
}

void PosPrinterControl::setPowerNotify(qint32 PowerNotify) {
    runCall(m_result, m_events, "PowerNotify",
            [&] { return m_power.setNotify(isOpen(), m_enabled, PowerNotify); });
}

void PosPrinterControl::setFreezeEvents(bool freeze) {
    runCall(m_result, m_events, "FreezeEvents", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        m_events.setFrozen(freeze);
        return OPOS_SUCCESS;
    });
}

void PosPrinterControl::setFlagWhenIdle(bool flag) {
    runCall(m_result, m_events, "FlagWhenIdle", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        m_flagWhenIdle = flag;
        if (flag && !m_output.hasPending())
            onQueueDrained();
        return OPOS_SUCCESS;
    });
}

void PosPrinterControl::setCharacterSet(qint32 characterSet) {
    runCall(m_result, m_events, "CharacterSet", [&]() -> Outcome {
        if (auto refused = deviceCheck())
            return *refused;
        if (!m_profile.characterSets.contains(characterSet))
            return OPOS_E_ILLEGAL;
        m_characterSet = characterSet;
        m_translator->setCharacterSet(characterSet);
        m_pendingSetup += EscPos::selectCharacterTable(m_profile.escTForCharacterSet.value(characterSet, 0));
        return OPOS_SUCCESS;
    });
}

// ---- properties --------------------------------------------------------------------------------

qint32 PosPrinterControl::State() const {
    if (!isOpen())
        return OPOS_S_CLOSED;
    if (m_output.isHalted())
        return OPOS_S_ERROR;
    return m_output.hasPending() ? OPOS_S_BUSY : OPOS_S_IDLE;
}

QString PosPrinterControl::ControlObjectDescription() const {
    return QStringLiteral("Posling POS Printer control, OPOS 1.8");
}

QString PosPrinterControl::ServiceObjectDescription() const {
    return isOpen() ? QStringLiteral("Posling ESC/POS POS Printer service") : QString();
}

QString PosPrinterControl::DeviceDescription() const {
    return isOpen() ? QStringLiteral("%1 at %2").arg(m_profile.description, m_config->connection) : QString();
}

QString PosPrinterControl::DeviceName() const {
    return isOpen() ? QStringLiteral("%1 (%2)").arg(m_config->name, m_profile.id) : QString();
}

// Both turn every way the text does: sideways in a page-mode block, upside down in a page of their
// own (bar codes) or turned on the host (bitmaps).
QString PosPrinterControl::RecBarCodeRotationList() const {
    return !isOpen() ? QString() : CapRecLeft90() ? QStringLiteral("0,R90,L90,180") : QStringLiteral("0,180");
}

QString PosPrinterControl::RecBitmapRotationList() const {
    return RecBarCodeRotationList();
}

// ESC|#B prints what SetBitmap stored under the number (an unstored number prints nothing), ESC|tL
// and ESC|bL what SetLogo stored.
void PosPrinterControl::giveStoredData(PrintDataTranslator& translator) {
    translator.setBitmapSource([this](int number) { return m_storedBitmaps.value(number); });
    translator.setLogoSource([this](int location) { return m_logos[location == PTR_L_BOTTOM ? 1 : 0]; });
}

// ---- lifecycle ---------------------------------------------------------------------------------

Outcome PosPrinterControl::openDevice(const QString& name) {
    if (isOpen()) {
        m_openResult = OPOS_OR_ALREADYOPEN;
        return OPOS_E_ILLEGAL;
    }
    Resolution<PrinterConfig> resolution = resolvePrinter(DeviceRegistry::load(), name);
    if (!resolution.config) {
        logOpenRefused(name, resolution.reason);
        m_openResult = resolution.code == OPOS_E_NOEXIST ? OPOS_OR_REGBADNAME : OPOS_ORS_CONFIG;
        return resolution.code;
    }
    std::shared_ptr<PrinterLink> link = obtainLink(*resolution.config, name);
    if (!link) {
        m_openResult = OPOS_ORS_CONFIG;
        return OPOS_E_NOSERVICE;
    }
    m_config = resolution.config;
    m_profile = m_config->profile;
    m_link = link;
    m_output.setLink(link);
    connect(m_link.get(), &PrinterLink::statusChanged, this, &PosPrinterControl::onStatusChanged);
    m_characterSet = m_profile.defaultCharacterSet;
    m_translator.emplace(m_profile, m_characterSet);
    giveStoredData(*m_translator);
    m_metrics.reset(m_profile);
    applyMetrics();
    m_sideways.close();
    startStatistics(m_statistics, m_config->name, *m_config);
    m_openResult = OPOS_SUCCESS;
    m_errorLevel = PTR_EL_NONE;
    qCDebug(lcDevice) << "opened" << name << "at" << m_config->connection;
    return OPOS_SUCCESS;
}

Outcome PosPrinterControl::claimDevice(qint32 timeout) {
    if (auto answer = claimAnsweredAtOnce(isOpen(), m_claimed, timeout))
        return *answer;
    const LinkTimings& t = m_link->timings();
    const QDeadlineTimer deadline(claimWaitMs(timeout, t.foreverCapMs));
    const auto pause = [&] {
        waitUntil([] { return false; },
                  static_cast<int>(qMin<qint64>(t.retryIntervalMs, deadline.remainingTime())));
    };
    for (;;) {
        if (m_link->claimOwner() && m_link->claimOwner() != this) {
            // Another control of this program holds it.
            if (deadline.hasExpired())
                return OPOS_E_TIMEOUT;
            pause();
            continue;
        }
        const std::optional<OpenAnswer> answer = attachAndWait(*m_link, this);
        if (!answer)
            return OPOS_E_NOHARDWARE;
        const auto& [status, reason] = *answer;
        if (status == Transport::OpenStatus::Opened) {
            m_link->setClaimOwner(this);
            m_claimed = true;
            return OPOS_SUCCESS;
        }
        if (status == Transport::OpenStatus::Failed) {
            qCWarning(lcDevice).noquote() << "Claim: cannot open" << m_config->connection << "-" << reason;
            opos::noteProblem(QStringLiteral("%1 cannot be opened: %2").arg(m_config->connection, reason));
            return OPOS_E_NOHARDWARE;
        }
        qCDebug(lcDevice).noquote() << "Claim:" << m_config->connection << "is busy -" << reason;
        if (deadline.hasExpired()) {
            opos::noteProblem(QStringLiteral("%1 stayed busy (%2): another program or host may be using it, "
                                             "or it is switched off")
                                  .arg(m_config->connection, reason));
            return OPOS_E_TIMEOUT;
        }
        pause();
    }
}

Outcome PosPrinterControl::releaseDevice() {
    if (!isOpen())
        return OPOS_E_CLOSED;
    if (!m_claimed)
        return OPOS_E_ILLEGAL;
    if (m_enabled)
        disableDevice();
    clearQueuedOutput();
    m_link->detach(this);
    m_claimed = false;
    m_statistics.flush();
    return OPOS_SUCCESS;
}

Outcome PosPrinterControl::closeDevice() {
    if (!isOpen())
        return OPOS_E_CLOSED;
    if (m_claimed)
        releaseDevice();
    m_output.setLink(nullptr);
    releaseLink(m_link, this);
    m_config.reset();
    m_translator.reset();
    m_sideways.close();
    m_events.setFrozen(false);
    m_async = false;
    m_flagWhenIdle = false;
    m_upsideDown = false;
    m_turning = 0;
    m_storedBitmaps.clear();
    m_logos[0].clear();
    m_logos[1].clear();
    m_binaryConversion = OPOS_BC_NONE;
    m_rotateSpecial = PTR_RP_NORMAL;
    m_letterQuality = false;
    m_statistics.flush();
    m_pendingSetup.clear();
    m_checkHealthText.clear();
    m_coverOpen = m_recEmpty = m_recNearEnd = false;
    m_errorStation = 0;
    m_errorString.clear();
    m_outputId = 0;
    m_power.reset();
    return OPOS_SUCCESS;
}

Outcome PosPrinterControl::enableDevice() {
    if (!m_claimed)
        return m_link->claimOwner() ? OPOS_E_CLAIMED : OPOS_E_NOTCLAIMED;
    // Reset, select the code page, turn on automatic status back and ask once where things stand.
    m_upsideDown = false;
    // The link takes automatic status from the printer only while someone asked for it.
    m_link->setAutomaticStatus(this, true);
    const QByteArray setup = lineState() + readyCheckBytes();
    const std::optional<ExchangeOutcome> answer = exchangeAndWait(*m_link, setup, readyCheckQueries());
    const ReadyCheck check =
        evaluateReadyCheck(answer.value_or(ExchangeOutcome{ExchangeOutcome::Result::LinkDown, {}}));
    if (check.code == OPOS_E_NOHARDWARE || check.code == OPOS_E_OFFLINE) {
        qCWarning(lcDevice).noquote() << "enable:" << m_config->connection << check.text;
        m_link->setAutomaticStatus(this, false);
        return check.code;
    }
    m_translator->reset();
    m_atLineStart = true;
    m_upsideDown = false;
    m_sideways.close();
    m_pendingSetup.clear();
    m_enabled = true;
    m_events.setEnabled(true);
    // A fault that is already there is reported at once; a printer in order raises nothing.
    reportStatus(m_link->status(), true);
    m_power.start(m_link);
    return OPOS_SUCCESS;
}

void PosPrinterControl::disableDevice() {
    m_power.stop();
    clearQueuedOutput();
    m_link->setAutomaticStatus(this, false);
    m_sideways.close();
    m_enabled = false;
    m_events.setEnabled(false);
}

void PosPrinterControl::clearQueuedOutput() {
    m_retryTimer.stop();
    if (m_retryProbe)
        m_link->cancel(std::exchange(m_retryProbe, 0));
    m_retryOnRecovery = false;
    m_heldCompletions.clear();
    m_blockIds.clear();
    m_transaction.reset(); // clearing output ends a transaction with what it held
    m_transactionIds.clear();
    m_transactionTally = m_nextTally = {};
    m_requestTallies.clear();
    m_output.clear();
    m_events.dropErrors();
}

// ---- device methods ----------------------------------------------------------------------------

std::optional<Outcome> PosPrinterControl::deviceCheck() const {
    if (!isOpen())
        return Outcome(OPOS_E_CLOSED);
    if (!m_claimed)
        return Outcome(m_link->claimOwner() ? OPOS_E_CLAIMED : OPOS_E_NOTCLAIMED);
    if (!m_enabled)
        return Outcome(OPOS_E_DISABLED);
    return std::nullopt;
}

std::optional<Outcome> PosPrinterControl::busyCheck() const {
    if (!m_async && m_output.hasPending())
        return Outcome(OPOS_E_BUSY);
    return std::nullopt;
}

Outcome PosPrinterControl::checkHealth(qint32 level) {
    if (auto refused = deviceCheck())
        return *refused;
    static const char* const names[] = {"Internal", "External", "Interactive"};
    if (level < OPOS_CH_INTERNAL || level > OPOS_CH_INTERACTIVE)
        return OPOS_E_ILLEGAL;
    if (auto busy = busyCheck())
        return *busy;
    if (level != OPOS_CH_INTERNAL)
        return printTestReceipt(level);
    // A status round trip; nothing is printed.
    const std::optional<ExchangeOutcome> answer =
        exchangeAndWait(*m_link, readyCheckBytes(), readyCheckQueries());
    const ReadyCheck check = evaluateReadyCheck(answer.value_or(ExchangeOutcome{}));
    m_checkHealthText = QStringLiteral("%1 HCheck: %2").arg(QLatin1String(names[level - 1]), check.text);
    return check.code == OPOS_E_NOHARDWARE ? OPOS_E_NOHARDWARE : OPOS_SUCCESS;
}

Outcome PosPrinterControl::printNormal(qint32 station, const QString& data) {
    if (auto refused = deviceCheck())
        return *refused;
    if (station != PTR_S_RECEIPT)
        return OPOS_E_ILLEGAL;
    if (auto busy = busyCheck())
        return *busy;
    if (m_sideways.isOpen()) {
        if (containsCut(data) || !m_sideways.append(data))
            return OPOS_E_ILLEGAL;
        m_nextTally += tallyOf(data);
        return holdForBlock();
    }
    m_nextTally += tallyOf(data);
    const QByteArray bytes = m_translator->translate(data);
    if (!data.isEmpty())
        m_atLineStart = endsAtLineStart(data);
    return submit(bytes);
}

Outcome PosPrinterControl::cutPaper(qint32 percentage) {
    if (auto refused = deviceCheck())
        return *refused;
    if (!m_profile.hasCutter || percentage < 1 || percentage > PTR_CP_FULLCUT || m_sideways.isOpen())
        return OPOS_E_ILLEGAL;
    if (auto busy = busyCheck())
        return *busy;
    const bool full = percentage == PTR_CP_FULLCUT || !m_profile.hasPartialCut;
    // GS V is taken only at the start of a line; function B feeds the last line past the cutter.
    QByteArray bytes = endPendingLine();
    bytes += EscPos::cut(full, 0);
    m_atLineStart = true;
    ++m_nextTally.cuts;
    return submit(bytes);
}

Outcome PosPrinterControl::rotatePrint(qint32 station, qint32 rotation) {
    if (auto refused = deviceCheck())
        return *refused;
    if (station != PTR_S_RECEIPT)
        return OPOS_E_ILLEGAL;
    // Bar codes and bitmaps turn with the text only when the call asks for it.
    const qint32 turning = rotation & (PTR_RP_BARCODE | PTR_RP_BITMAP);
    switch (rotation & ~(PTR_RP_BARCODE | PTR_RP_BITMAP)) {
    case PTR_RP_NORMAL: {
        if (auto busy = busyCheck())
            return *busy;
        if (!m_sideways.isOpen() && !m_upsideDown)
            return nothingToPrint();
        if (m_sideways.isOpen()) {
            // An empty block leaves no blank page; what had to go out before it still does.
            const bool empty = m_sideways.parts().isEmpty();
            const Outcome outcome = empty ? nothingToPrint() : submit(sidewaysBlock());
            if (outcome.code == OPOS_SUCCESS) {
                m_sideways.close(); // a block that did not print stays open for another try
                // The block's calls complete with the request that printed it, or inside a
                // transaction with the transaction.
                if (m_async && m_transaction)
                    m_transactionIds += std::exchange(m_blockIds, {});
                else if (m_async)
                    m_heldCompletions.insert(m_outputId, std::exchange(m_blockIds, {}));
            }
            return outcome;
        }
        // ESC { counts only at the start of a line: a pending line is printed first.
        QByteArray bytes = endPendingLine();
        bytes += EscPos::upsideDown(false);
        const Outcome outcome = submit(bytes);
        if (outcome.code == OPOS_SUCCESS) {
            m_upsideDown = false;
            m_atLineStart = true;
        }
        return outcome;
    }
    case PTR_RP_LEFT90:
    case PTR_RP_RIGHT90:
        if (m_sideways.isOpen() || !CapRecLeft90())
            return OPOS_E_ILLEGAL;
        if (auto busy = busyCheck())
            return *busy;
        if (m_upsideDown) {
            m_pendingSetup += endPendingLine();
            m_pendingSetup += EscPos::upsideDown(false);
            m_upsideDown = false;
            m_atLineStart = true;
        }
        m_sideways.open(rotation & ~(PTR_RP_BARCODE | PTR_RP_BITMAP));
        m_turning = turning;
        return holdForBlock();
    case PTR_RP_ROTATE180: {
        if (m_sideways.isOpen())
            return OPOS_E_ILLEGAL;
        if (auto busy = busyCheck())
            return *busy;
        if (m_upsideDown) {
            m_turning = turning;
            return nothingToPrint();
        }
        QByteArray bytes = endPendingLine();
        bytes += EscPos::upsideDown(true);
        const Outcome outcome = submit(bytes);
        if (outcome.code == OPOS_SUCCESS) {
            m_upsideDown = true;
            m_atLineStart = true;
            m_turning = turning;
        }
        return outcome;
    }
    default:
        return OPOS_E_ILLEGAL;
    }
}

Outcome PosPrinterControl::printBarCode(qint32 station, const BarcodeArguments& arguments) {
    if (auto refused = deviceCheck())
        return *refused;
    if (station != PTR_S_RECEIPT)
        return OPOS_E_ILLEGAL;
    const BarcodeCommand command = buildBarcodeCommand(inDots(arguments), m_profile);
    if (command.code != OPOS_SUCCESS) {
        qCDebug(lcDevice).noquote() << "PrintBarCode refused:" << command.reason;
        return command.code;
    }
    if (auto busy = busyCheck())
        return *busy;
    const std::optional<SymbolForm> form = symbolForm(PTR_RP_BARCODE);
    if (!form || (*form == SymbolForm::Sideways && command.heightDots > m_profile.lineWidthDots))
        return OPOS_E_ILLEGAL;
    // The human-readable line is one character cell high, with a little gap to the bars.
    const int height =
        command.heightDots +
        (arguments.textPosition != PTR_BC_TEXT_NONE ? m_profile.lineHeightDots() + kTextGapDots : 0);
    ++m_nextTally.barcodes;
    return printSymbol(*form, barcodeBytes(command, height, *form), command.widthDots, height);
}

Outcome PosPrinterControl::setBitmap(qint32 number, qint32 station, const BitmapArguments& arguments) {
    if (auto refused = deviceCheck())
        return *refused;
    if (number < 1 || number > kStoredBitmaps || station != PTR_S_RECEIPT)
        return OPOS_E_ILLEGAL;
    if (arguments.fileName.isEmpty()) {
        m_storedBitmaps.remove(number); // an empty name takes the number's bitmap back
        return OPOS_SUCCESS;
    }
    const PreparedBitmap bitmap = prepareBitmap(inDots(arguments), m_profile);
    if (bitmap.code != OPOS_SUCCESS) {
        qCDebug(lcDevice).noquote() << "SetBitmap refused:" << bitmap.reason;
        return Outcome(bitmap.code, bitmap.extended);
    }
    // Kept on the host: the printer's own image memory wears out and differs between models.
    m_storedBitmaps.insert(number, bitmap.standardModeBytes());
    return OPOS_SUCCESS;
}

Outcome PosPrinterControl::printBitmap(qint32 station, const BitmapArguments& arguments) {
    if (auto refused = deviceCheck())
        return *refused;
    if (station != PTR_S_RECEIPT)
        return OPOS_E_ILLEGAL;
    const PreparedBitmap bitmap = prepareBitmap(inDots(arguments), m_profile);
    if (bitmap.code != OPOS_SUCCESS) {
        qCDebug(lcDevice).noquote() << "PrintBitmap refused:" << bitmap.reason;
        return Outcome(bitmap.code, bitmap.extended);
    }
    if (auto busy = busyCheck())
        return *busy;
    const std::optional<SymbolForm> form = symbolForm(PTR_RP_BITMAP);
    if (!form)
        return OPOS_E_ILLEGAL;
    ++m_nextTally.bitmaps;
    return printSymbol(*form, bitmapBytes(bitmap, *form), bitmap.dots.width(), bitmap.dots.height());
}

QByteArray PosPrinterControl::sidewaysBlock() {
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
    return bytes;
}

// How the current rotation prints a bar code (PTR_RP_BARCODE) or bitmap (PTR_RP_BITMAP): into the
// open sideways block, only when the rotation includes it; turned half a turn under upside-down
// printing when it turns with the text; else upright. Nothing: it may not print now.
std::optional<PosPrinterControl::SymbolForm> PosPrinterControl::symbolForm(qint32 kind) const {
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

QByteArray PosPrinterControl::barcodeBytes(const BarcodeCommand& command, int heightDots,
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

QByteArray PosPrinterControl::bitmapBytes(const PreparedBitmap& bitmap, SymbolForm form) const {
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

// Prints a bar code or bitmap in the form its rotation chose: a block symbol waits in the block,
// anything else goes on a line of its own.
Outcome PosPrinterControl::printSymbol(SymbolForm form, const QByteArray& symbol, int widthDots,
                                       int heightDots) {
    if (form == SymbolForm::InBlock)
        return m_sideways.appendSymbol(symbol, heightDots, widthDots) ? holdForBlock() : OPOS_E_ILLEGAL;
    QByteArray bytes = endPendingLine();
    if (m_upsideDown) {
        // ESC { is left off around the symbol, so the printer cannot turn it a second time.
        bytes += EscPos::upsideDown(false);
        bytes += symbol;
        bytes += EscPos::upsideDown(true);
    } else {
        bytes += symbol;
    }
    const Outcome outcome = submit(bytes);
    if (outcome.code == OPOS_SUCCESS)
        m_atLineStart = true;
    return outcome;
}

// What the printer is set to between requests: reset, code page, automatic status back, line
// spacing, rotation.
// Sent at enable, and again before a request when the printer's buffer had to be cleared.
QByteArray PosPrinterControl::lineState() const {
    return EscPos::initialize() +
           EscPos::selectCharacterTable(m_profile.escTForCharacterSet.value(m_characterSet, 0)) +
           EscPos::enableAutomaticStatus(kAutomaticStatusMask) +
           (m_metrics.lineSpacingDots() != m_profile.lineSpacingDots
                ? EscPos::lineSpacing(m_metrics.lineSpacingDots())
                : QByteArray()) +
           (m_upsideDown ? EscPos::upsideDown(true) : QByteArray());
}

// Ends an unfinished line through the translator, so its line attributes end with it and the
// translator knows the next data starts a new line.
QByteArray PosPrinterControl::endPendingLine() {
    return m_atLineStart ? QByteArray() : m_translator->translate(u"\n");
}

Outcome PosPrinterControl::submit(const QByteArray& bytes, Delivery delivery) {
    OutputRequest request;
    const QByteArray setup = std::exchange(m_pendingSetup, {});
    const PrintTally tally = std::exchange(m_nextTally, {});
    // A transaction holds everything until it ends; a call in it completes with it.
    if (m_transaction && delivery == Delivery::AsCalled) {
        *m_transaction += setup + bytes;
        m_transactionTally += tally;
        return holdForBlock();
    }
    request.bytes = setup + bytes;
    request.lineState = lineState();
    if (m_async && delivery == Delivery::AsCalled) {
        request.id = ++m_outputId;
        request.synchronous = false;
        m_requestTallies.insert(request.id, tally);
        m_output.enqueue(request);
        return OPOS_SUCCESS;
    }
    request.id = --m_syncCounter;
    m_syncId = request.id;
    m_syncOutcome.reset();
    m_output.enqueue(request);
    // Each step of a request is bounded by its own time-out (a dropped connection is opened again
    // first); this only guards against a bug.
    const LinkTimings& t = m_link->timings();
    const QDeadlineTimer guard(saturatedMs(qint64(t.openTimeoutMs) + 3 * qint64(t.replyTimeoutMs) + 1000));
    const auto remainingMs = [&guard] { return static_cast<int>(guard.remainingTime()); };
    waitUntil([this] { return m_syncOutcome.has_value() || m_output.isHalted(); }, remainingMs());
    // Asynchronous output ahead of this request failed, and the queue waits for the answer to
    // its ErrorEvent: this request is taken back and fails as that one did.
    if (!m_syncOutcome && m_output.isHalted() && m_output.discard(request.id))
        m_syncOutcome = m_haltedBy;
    if (!m_syncOutcome && !waitUntil([this] { return m_syncOutcome.has_value(); }, remainingMs())) {
        qCWarning(lcDevice) << "synchronous output did not finish; dropped";
        m_output.clear();
        m_syncOutcome = Outcome(OPOS_E_TIMEOUT);
    }
    if (m_syncOutcome->code != OPOS_SUCCESS)
        m_pendingSetup.prepend(setup);
    else
        count(tally);
    return *m_syncOutcome;
}

// ---- status and events -------------------------------------------------------------------------

void PosPrinterControl::onStatusChanged(const PrinterStatus& status) {
    if (!m_enabled)
        return;
    reportStatus(status, false);
    if ((m_retryOnRecovery || m_retryTimer.isActive()) && !isStopped(status)) {
        m_retryTimer.stop();
        m_retryOnRecovery = false;
        retryNow();
    }
}

void PosPrinterControl::reportStatus(const PrinterStatus& status, bool onlyFaults) {
    const bool cover = m_profile.coverSensor && status.coverOpen;
    const bool empty = m_profile.emptySensor && status.paperEnd;
    const bool nearEnd = m_profile.nearEndSensor && status.paperNearEnd;
    const auto paperCode = [](bool e, bool n) {
        return e ? PTR_SUE_REC_EMPTY : n ? PTR_SUE_REC_NEAREMPTY : PTR_SUE_REC_PAPEROK;
    };
    const qint32 paperBefore = paperCode(m_recEmpty, m_recNearEnd);
    const qint32 paperNow = paperCode(empty, nearEnd);
    if (onlyFaults) {
        if (cover)
            postStatus(PTR_SUE_COVER_OPEN);
        if (paperNow != PTR_SUE_REC_PAPEROK)
            postStatus(paperNow);
    } else {
        if (cover != m_coverOpen)
            postStatus(cover ? PTR_SUE_COVER_OPEN : PTR_SUE_COVER_OK);
        if (cover && !m_coverOpen)
            m_statistics.increment(statistic::ReceiptCoverOpenCount);
        if (paperNow != paperBefore)
            postStatus(paperNow);
    }
    m_coverOpen = cover;
    m_recEmpty = empty;
    m_recNearEnd = nearEnd;
}

void PosPrinterControl::postStatus(qint32 code) {
    m_events.post({PendingEvent::Kind::StatusUpdate, code, 0, 0});
}

void PosPrinterControl::onRequestCompleted(qint32 id, bool synchronous) {
    if (synchronous) {
        if (id == m_syncId)
            m_syncOutcome = Outcome(OPOS_SUCCESS);
        return;
    }
    count(m_requestTallies.take(id));
    for (const qint32 held : m_heldCompletions.take(id))
        m_events.post({PendingEvent::Kind::OutputComplete, held, 0, 0});
    m_events.post({PendingEvent::Kind::OutputComplete, id, 0, 0});
}

// An asynchronous call taken into the open sideways block gets its OutputID now and completes
// when the block has printed.
Outcome PosPrinterControl::holdForBlock() {
    if (m_async)
        (m_sideways.isOpen() ? m_blockIds : m_transactionIds).append(++m_outputId);
    return OPOS_SUCCESS;
}

// A call with nothing to send still completes in its turn when asynchronous.
Outcome PosPrinterControl::nothingToPrint() {
    return m_async || !m_pendingSetup.isEmpty() ? submit(QByteArray()) : Outcome(OPOS_SUCCESS);
}

void PosPrinterControl::onRequestFailed(qint32 id, bool synchronous, qint32 code, qint32 extended) {
    m_statistics.increment(statistic::PrinterFaultCount);
    if (code == OPOS_E_NOHARDWARE || code == OPOS_E_TIMEOUT)
        m_statistics.increment(statistic::CommunicationErrorCount);
    if (synchronous) {
        if (id == m_syncId)
            m_syncOutcome = Outcome(code, extended);
        return;
    }
    m_haltedBy = Outcome(code, code == OPOS_E_EXTENDED ? extended : 0);
    m_errorLevel = code == OPOS_E_EXTENDED ? PTR_EL_RECOVERABLE : PTR_EL_FATAL;
    m_errorStation = PTR_S_RECEIPT;
    m_errorString = code == OPOS_E_EXTENDED
                        ? (extended == OPOS_EPTR_COVER_OPEN ? QStringLiteral("Cover open")
                                                            : QStringLiteral("Receipt paper empty"))
                        : (code == OPOS_E_OFFLINE ? QStringLiteral("Printer offline")
                                                  : QStringLiteral("Printer not responding"));
    m_events.post({PendingEvent::Kind::Error, code, code == OPOS_E_EXTENDED ? extended : 0, OPOS_EL_OUTPUT});
}

void PosPrinterControl::onQueueDrained() {
    if (!m_flagWhenIdle || !m_enabled || m_output.hasPending())
        return;
    m_flagWhenIdle = false;
    postStatus(PTR_SUE_IDLE);
}

void PosPrinterControl::retryNow() {
    if (m_enabled && m_output.isHalted())
        m_output.resume();
}

// A printer that did not answer is asked again, quietly, until it can print; only then is the
// request retried, so a printer left switched off raises no event after the first.
void PosPrinterControl::retryWhenAnswering() {
    if (!m_enabled || !m_output.isHalted() || m_retryProbe)
        return;
    QPointer<PosPrinterControl> self(this);
    m_retryProbe = m_link->exchange(readyCheckBytes(), readyCheckQueries(), false,
                                    [self](const ExchangeOutcome& outcome) {
                                        if (!self)
                                            return;
                                        self->m_retryProbe = 0;
                                        if (!self->m_enabled || !self->m_output.isHalted())
                                            return;
                                        if (evaluateReadyCheck(outcome).code == OPOS_SUCCESS)
                                            self->retryNow();
                                        else
                                            self->m_retryTimer.start(self->m_link->timings().replyTimeoutMs);
                                    });
}

void PosPrinterControl::deliver(const PendingEvent& event) {
    QPointer<PosPrinterControl> alive(this);
    switch (event.kind) {
    case PendingEvent::Kind::StatusUpdate:
        Q_EMIT StatusUpdateEvent(event.data);
        return;
    case PendingEvent::Kind::OutputComplete:
        Q_EMIT OutputCompleteEvent(event.data);
        return;
    case PendingEvent::Kind::Error: {
        // The handler reads the failure from the event and from ResultCode/ResultCodeExtended.
        m_result.settle(Outcome(event.data, event.extended));
        qint32 response = OPOS_ER_RETRY;
        Q_EMIT ErrorEvent(event.data, event.extended, event.locus, &response);
        if (!alive || !m_enabled || !m_output.isHalted())
            return;
        if (response == OPOS_ER_CLEAR) {
            clearQueuedOutput();
            onQueueDrained();
            return;
        }
        // A cover, paper or offline fault is retried when the printer reports it gone, and raises
        // no further event while it lasts. A printer that did not answer is tried again after a
        // pause.
        if (isStopped(m_link->status())) {
            m_retryOnRecovery = true;
            return;
        }
        m_retryTimer.start(m_link->timings().replyTimeoutMs);
        return;
    }
    }
}

} // namespace device
