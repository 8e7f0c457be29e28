#include "device/control/cashdrawercontrol.h"

#include "device/control/controllink.h"
#include "device/control/controlrules.h"
#include "device/control/interactivecheck.h"
#include "device/control/syncwait.h"
#include "device/escpos/escposencoder.h"
#include "device/registry/deviceregistry.h"

#include <QDeadlineTimer>
#include <QHash>

namespace device {

using namespace opos;

namespace {

// Which drawer control holds the claim of a drawer, by logical name.
QHash<QString, const CashDrawerControl*>& drawerClaims() {
    static QHash<QString, const CashDrawerControl*> claims;
    return claims;
}

QString claimKey(const QString& name) {
    return name.toLower();
}

constexpr quint8 kAutomaticStatusMask = 0x0F;

int& closeWaitCapMs() {
    static int ms = CashDrawerControl::kDrawerCloseWaitCapMs;
    return ms;
}

} // namespace

void CashDrawerControl::setDrawerCloseWaitCapMs(int ms) {
    closeWaitCapMs() = ms;
}

int CashDrawerControl::drawerCloseWaitCapMs() {
    return closeWaitCapMs();
}

CashDrawerControl::CashDrawerControl(QObject* parent)
    : opos::CashDrawer(parent), m_events([this](const PendingEvent& e) { deliver(e); }, this) {
    connect(&m_power, &PowerWatch::stateChanged, this, [this](qint32 code) {
        m_events.post({PendingEvent::Kind::StatusUpdate, code, 0, 0});
    });
}

CashDrawerControl::~CashDrawerControl() {
    if (isOpen())
        closeDevice();
}

qint32 CashDrawerControl::Open(const QString& DeviceName) {
    return runCall(m_result, m_events, "CashDrawer.Open", [&] { return openDevice(DeviceName); });
}

qint32 CashDrawerControl::Close() {
    return runCall(m_result, m_events, "CashDrawer.Close", [&] { return closeDevice(); });
}

qint32 CashDrawerControl::OpenDrawer() {
    return runCall(m_result, m_events, "CashDrawer.OpenDrawer", [&] { return openDrawer(); });
}

void CashDrawerControl::setDeviceEnabled(bool enabled) {
    runCall(m_result, m_events, "CashDrawer.DeviceEnabled", [&] {
        return switchEnabled(
            isOpen(), m_enabled, enabled, [&] { return enableDevice(); }, [&] { disableDevice(); });
    });
}

qint32 CashDrawerControl::Claim(qint32 Timeout) {
    return runCall(m_result, m_events, "CashDrawer.Claim", [&] { return claimDevice(Timeout); });
}

qint32 CashDrawerControl::ReleaseDevice() {
    return runCall(m_result, m_events, "CashDrawer.ReleaseDevice", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        if (!m_claimed)
            return OPOS_E_ILLEGAL;
        drawerClaims().remove(claimKey(m_config->name));
        m_claimed = false; // sharable: the enabled state stays
        return OPOS_SUCCESS;
    });
}

void CashDrawerControl::setPowerNotify(qint32 PowerNotify) {
    runCall(m_result, m_events, "CashDrawer.PowerNotify",
            [&] { return m_power.setNotify(isOpen(), m_enabled, PowerNotify); });
}

void CashDrawerControl::setFreezeEvents(bool freeze) {
    runCall(m_result, m_events, "CashDrawer.FreezeEvents", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        m_events.setFrozen(freeze);
        return OPOS_SUCCESS;
    });
}

qint32 CashDrawerControl::ClaimDevice(qint32 Timeout) {
    return runCall(m_result, m_events, "CashDrawer.ClaimDevice", [&] { return claimDevice(Timeout); });
}

qint32 CashDrawerControl::CheckHealth(qint32 Level) {
    return runCall(m_result, m_events, "CashDrawer.CheckHealth", [&] { return checkHealth(Level); });
}

// No direct commands: a drawer has nothing to say beyond its status.
qint32 CashDrawerControl::DirectIO(qint32 /*Command*/, qint32& /*pData*/, QString& /*pString*/) {
    return runCall(m_result, m_events, "CashDrawer.DirectIO", [&]() -> Outcome {
        if (auto refused = deviceCheck())
            return *refused;
        return OPOS_E_ILLEGAL;
    });
}

qint32 CashDrawerControl::WaitForDrawerClose(qint32 BeepTimeout, qint32 BeepFrequency, qint32 BeepDuration,
                                             qint32 BeepDelay) {
    return runCall(m_result, m_events, "CashDrawer.WaitForDrawerClose",
                   [&] { return waitForDrawerClose(BeepTimeout, BeepFrequency, BeepDuration, BeepDelay); });
}

template <typename Call> qint32 CashDrawerControl::statisticsCall(const char* method, Call&& call) {
    return runCall(m_result, m_events, method, [&]() -> Outcome {
        if (auto refused = deviceCheck())
            return *refused;
        return call(m_statistics);
    });
}

qint32 CashDrawerControl::ResetStatistics(const QString& StatisticsBuffer) {
    return statisticsCall("CashDrawer.ResetStatistics",
                          [&](DeviceStatistics& statistics) { return statistics.reset(StatisticsBuffer); });
}

qint32 CashDrawerControl::RetrieveStatistics(QString& pStatisticsBuffer) {
    const QString request = pStatisticsBuffer; // the names asked for; the document comes back
    return statisticsCall("CashDrawer.RetrieveStatistics", [&](DeviceStatistics& statistics) {
        return statistics.retrieve(request, pStatisticsBuffer);
    });
}

qint32 CashDrawerControl::UpdateStatistics(const QString& StatisticsBuffer) {
    return statisticsCall("CashDrawer.UpdateStatistics",
                          [&](DeviceStatistics& statistics) { return statistics.update(StatisticsBuffer); });
}

void CashDrawerControl::setBinaryConversion(qint32 conversion) {
    runCall(m_result, m_events, "CashDrawer.BinaryConversion",
            [&] { return device::setBinaryConversion(isOpen(), m_binaryConversion, conversion); });
}

QString CashDrawerControl::ControlObjectDescription() const {
    return QStringLiteral("Posling Cash Drawer control, OPOS 1.8");
}

QString CashDrawerControl::ServiceObjectDescription() const {
    return isOpen() ? QStringLiteral("Posling ESC/POS Cash Drawer service") : QString();
}

QString CashDrawerControl::DeviceDescription() const {
    return isOpen() ? QStringLiteral("Cash drawer on pin %1 of %2 at %3")
                          .arg(m_config->pin)
                          .arg(m_config->printer.name, m_config->printer.connection)
                    : QString();
}

QString CashDrawerControl::DeviceName() const {
    return isOpen() ? m_config->name : QString();
}

Outcome CashDrawerControl::openDevice(const QString& name) {
    if (isOpen()) {
        m_openResult = OPOS_OR_ALREADYOPEN;
        return OPOS_E_ILLEGAL;
    }
    Resolution<DrawerConfig> resolution = resolveDrawer(DeviceRegistry::load(), name);
    if (!resolution.config) {
        logOpenRefused(name, resolution.reason);
        m_openResult = resolution.code == OPOS_E_NOEXIST ? OPOS_OR_REGBADNAME : OPOS_ORS_CONFIG;
        return resolution.code;
    }
    std::shared_ptr<PrinterLink> link = obtainLink(resolution.config->printer, name);
    if (!link) {
        m_openResult = OPOS_ORS_CONFIG;
        return OPOS_E_NOSERVICE;
    }
    m_openResult = OPOS_SUCCESS;
    m_config = resolution.config;
    startStatistics(m_statistics, m_config->name, m_config->printer);
    m_link = link;
    connect(m_link.get(), &PrinterLink::statusChanged, this, &CashDrawerControl::onStatusChanged);
    return OPOS_SUCCESS;
}

Outcome CashDrawerControl::closeDevice() {
    if (!isOpen())
        return OPOS_E_CLOSED;
    if (m_enabled)
        disableDevice();
    if (m_claimed)
        drawerClaims().remove(claimKey(m_config->name));
    m_claimed = false;
    releaseLink(m_link, this);
    m_config.reset();
    m_events.setFrozen(false);
    m_drawerOpened = false;
    m_power.reset();
    m_statistics.flush();
    m_checkHealthText.clear();
    m_binaryConversion = OPOS_BC_NONE;
    return OPOS_SUCCESS;
}

Outcome CashDrawerControl::claimDevice(qint32 timeout) {
    if (auto answer = claimAnsweredAtOnce(isOpen(), m_claimed, timeout))
        return *answer;
    const QString key = claimKey(m_config->name);
    const int budget = claimWaitMs(timeout, m_config->printer.timings.foreverCapMs);
    if (!waitUntil([&] { return !drawerClaims().contains(key); }, budget))
        return OPOS_E_TIMEOUT;
    drawerClaims().insert(key, this);
    m_claimed = true;
    return OPOS_SUCCESS;
}

Outcome CashDrawerControl::enableDevice() {
    // The drawer needs the printer's connection, not its claim.
    const std::optional<OpenAnswer> opened = attachAndWait(*m_link, this);
    if (!opened)
        return OPOS_E_NOHARDWARE;
    if (opened->status != Transport::OpenStatus::Opened) {
        qCWarning(lcDevice).noquote() << "drawer enable:" << m_config->printer.connection << opened->reason;
        return opened->status == Transport::OpenStatus::Busy ? OPOS_E_CLAIMED : OPOS_E_NOHARDWARE;
    }
    m_link->setAutomaticStatus(this, true); // asked for in this exchange
    const std::optional<ExchangeOutcome> answer = exchangeAndWait(
        *m_link, EscPos::enableAutomaticStatus(kAutomaticStatusMask) + EscPos::realtimeStatus(1),
        {{StatusQuery::Kind::RealTime, 1}});
    if (!answer || answer->result != ExchangeOutcome::Result::Answered) {
        m_link->setAutomaticStatus(this, false);
        m_link->detach(this);
        return OPOS_E_NOHARDWARE;
    }
    m_drawerOpened = drawerOpenIn(m_link->status());
    m_enabled = true;
    m_events.setEnabled(true);
    m_power.start(m_link);
    return OPOS_SUCCESS;
}

void CashDrawerControl::disableDevice() {
    m_power.stop();
    m_link->setAutomaticStatus(this, false);
    m_link->detach(this);
    m_enabled = false;
    m_events.setEnabled(false);
}

std::optional<Outcome> CashDrawerControl::deviceCheck() const {
    if (!isOpen())
        return Outcome(OPOS_E_CLOSED);
    const CashDrawerControl* holder = drawerClaims().value(claimKey(m_config->name));
    if (holder && holder != this)
        return Outcome(OPOS_E_CLAIMED);
    if (!m_enabled)
        return Outcome(OPOS_E_DISABLED);
    return std::nullopt;
}

Outcome CashDrawerControl::openDrawer() {
    if (auto refused = deviceCheck())
        return *refused;
    return kick();
}

// Every pulse is counted, the health check's too: the drawer really opened.
Outcome CashDrawerControl::kick() {
    const Outcome outcome = pulseDrawer();
    m_statistics.increment(outcome.code == OPOS_SUCCESS ? statistic::DrawerGoodOpenCount
                                                        : statistic::DrawerFailedOpenCount);
    if (outcome.code == OPOS_E_NOHARDWARE || outcome.code == OPOS_E_TIMEOUT)
        m_statistics.increment(statistic::CommunicationErrorCount);
    return outcome;
}

Outcome CashDrawerControl::pulseDrawer() {
    // A printer that is offline (cover open, paper out) would keep the kick in its buffer.
    const std::optional<ExchangeOutcome> ready =
        exchangeAndWait(*m_link, EscPos::realtimeStatus(1) + EscPos::realtimeStatus(2),
                        {{StatusQuery::Kind::RealTime, 1}, {StatusQuery::Kind::RealTime, 2}});
    if (!ready || ready->result != ExchangeOutcome::Result::Answered)
        return OPOS_E_NOHARDWARE;
    if ((ready->replies.at(0) & 0x08) || (ready->replies.at(1) & 0x04))
        return OPOS_E_OFFLINE;
    // GS r 2 comes back after the kick has been carried out and tells the drawer's state.
    const std::optional<ExchangeOutcome> kicked =
        exchangeAndWait(*m_link,
                        EscPos::drawerKick(m_config->pin, m_config->pulseOnMs, m_config->pulseOffMs) +
                            EscPos::transmitStatus(2),
                        {{StatusQuery::Kind::Transmit, 2}});
    if (!kicked || kicked->result != ExchangeOutcome::Result::Answered)
        return kicked && kicked->result == ExchangeOutcome::Result::LinkDown ? OPOS_E_NOHARDWARE
                                                                             : OPOS_E_OFFLINE;
    return OPOS_SUCCESS;
}

// Internal: the printer answers a status request. External: the drawer is pulsed open (with its
// status events). Interactive: the same, shown to the user.
Outcome CashDrawerControl::checkHealth(qint32 level) {
    if (auto refused = deviceCheck())
        return *refused;
    if (level < OPOS_CH_INTERNAL || level > OPOS_CH_INTERACTIVE)
        return OPOS_E_ILLEGAL;
    static const char* const names[] = {"Internal", "External", "Interactive"};
    Outcome outcome;
    if (level == OPOS_CH_INTERNAL) {
        const std::optional<ExchangeOutcome> answer =
            exchangeAndWait(*m_link, EscPos::realtimeStatus(1), {{StatusQuery::Kind::RealTime, 1}});
        outcome = answer && answer->result == ExchangeOutcome::Result::Answered ? Outcome(OPOS_SUCCESS)
                                                                                : Outcome(OPOS_E_NOHARDWARE);
    } else {
        outcome = kick();
    }
    const QString result = outcome.code == OPOS_SUCCESS     ? QStringLiteral("Successful")
                           : outcome.code == OPOS_E_OFFLINE ? QStringLiteral("Printer Offline")
                                                            : QStringLiteral("Not Responding");
    m_checkHealthText = QStringLiteral("%1 HCheck: %2").arg(QLatin1String(names[level - 1]), result);
    if (level == OPOS_CH_INTERACTIVE)
        presentInteractiveCheck(QStringLiteral("Interactive HCheck"),
                                QStringLiteral("%1\n\nThe drawer was pulsed open.\n\nResult: %2")
                                    .arg(DeviceDescription(), result));
    return outcome;
}

// Returns at once when the drawer is closed; otherwise waits, sounding the bell every BeepDelay ms
// from BeepTimeout on. A drawer left open longer than the cap, a disable or close while waiting,
// and a lost printer end the wait.
Outcome CashDrawerControl::waitForDrawerClose(qint32 beepTimeout, qint32 beepFrequency, qint32 beepDuration,
                                              qint32 beepDelay) {
    if (auto refused = deviceCheck())
        return *refused;
    if (beepTimeout < OPOS_FOREVER || beepFrequency < 0 || beepDuration < 0 || beepDelay < 0)
        return OPOS_E_ILLEGAL;
    QDeadlineTimer cap(drawerCloseWaitCapMs());
    QDeadlineTimer nextBeep(beepTimeout == OPOS_FOREVER ? QDeadlineTimer::Forever
                                                        : QDeadlineTimer(beepTimeout));
    while (m_enabled && m_drawerOpened) {
        if (cap.hasExpired())
            return OPOS_E_TIMEOUT;
        if (nextBeep.hasExpired()) {
            soundDrawerBeeper(beepFrequency, beepDuration);
            nextBeep.setRemainingTime(qMax(100, beepDuration + beepDelay));
        }
        const qint64 untilBeep = nextBeep.isForever() ? cap.remainingTime() : nextBeep.remainingTime();
        waitUntil([this] { return !m_enabled || !m_drawerOpened; },
                  static_cast<int>(qBound(qint64(1), qMin(untilBeep, cap.remainingTime()), qint64(1000))));
    }
    return m_enabled ? Outcome(OPOS_SUCCESS) : Outcome(isOpen() ? OPOS_E_DISABLED : OPOS_E_CLOSED);
}

bool CashDrawerControl::drawerOpenIn(const PrinterStatus& status) const {
    return status.drawerPinHigh == m_config->openWhenHigh;
}

void CashDrawerControl::onStatusChanged(const PrinterStatus& status) {
    if (!m_enabled)
        return;
    const bool open = drawerOpenIn(status);
    if (open == m_drawerOpened)
        return;
    m_drawerOpened = open;
    m_events.post(
        {PendingEvent::Kind::StatusUpdate, open ? CASH_SUE_DRAWEROPEN : CASH_SUE_DRAWERCLOSED, 0, 0});
}

void CashDrawerControl::deliver(const PendingEvent& event) {
    if (event.kind == PendingEvent::Kind::StatusUpdate)
        Q_EMIT StatusUpdateEvent(event.data);
}

} // namespace device
