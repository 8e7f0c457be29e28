#include "device/control/cashdrawercontrol.h"

#include "device/control/completionrule.h"
#include "device/control/controllink.h"
#include "device/control/controlrules.h"
#include "device/control/syncwait.h"
#include "device/escpos/escposencoder.h"

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

CashDrawerControl::CashDrawerControl(const opos::HostServices& services, QObject* parent)
    : opos::CashDrawer(parent), m_services(services),
      m_core("CashDrawer", StatisticsCategory::CashDrawer, *this, this) {}

CashDrawerControl::~CashDrawerControl() {
    m_core.closeIfOpen();
}

qint32 CashDrawerControl::Open(const QString& DeviceName) {
    return m_core.open(DeviceName, resolveDrawer, [this](const DrawerConfig& config) { m_config = config; });
}

qint32 CashDrawerControl::OpenDrawer() {
    return m_core.callWhenEnabled("OpenDrawer", [&] { return kick(); });
}

qint32 CashDrawerControl::CheckHealth(qint32 Level) {
    return m_core.callWhenEnabled("CheckHealth", [&] { return checkHealth(Level); });
}

// No direct commands: a drawer has nothing to say beyond its status.
qint32 CashDrawerControl::DirectIO(qint32 /*Command*/, qint32& /*pData*/, QString& /*pString*/) {
    return m_core.callWhenEnabled("DirectIO", []() -> Outcome { return OPOS_E_ILLEGAL; });
}

qint32 CashDrawerControl::WaitForDrawerClose(qint32 BeepTimeout, qint32 BeepFrequency, qint32 BeepDuration,
                                             qint32 BeepDelay) {
    return m_core.callWhenEnabled("WaitForDrawerClose", [&] {
        return waitForDrawerClose(BeepTimeout, BeepFrequency, BeepDuration, BeepDelay);
    });
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

// ---- the drawer's part of the lifecycle --------------------------------------------------------

std::optional<Outcome> CashDrawerControl::claimCheck() const {
    const CashDrawerControl* holder = drawerClaims().value(claimKey(m_config->name));
    if (holder && holder != this)
        return Outcome(OPOS_E_CLAIMED);
    return std::nullopt;
}

Outcome CashDrawerControl::claim(qint32 timeout) {
    const QString key = claimKey(m_config->name);
    const int budget = claimWaitMs(timeout, m_config->printer.timings.foreverCapMs);
    if (!waitUntil([&] { return !drawerClaims().contains(key); }, budget))
        return OPOS_E_TIMEOUT;
    drawerClaims().insert(key, this);
    return OPOS_SUCCESS;
}

// Sharable: the enabled state stays.
void CashDrawerControl::release() {
    drawerClaims().remove(claimKey(m_config->name));
}

Outcome CashDrawerControl::enable() {
    // The drawer needs the printer's connection, not its claim.
    const std::optional<OpenAnswer> opened = attachAndWait(link(), this);
    if (!opened)
        return OPOS_E_NOHARDWARE;
    if (opened->status != Transport::OpenStatus::Opened) {
        qCWarning(lcDevice).noquote() << "drawer enable:" << m_config->printer.connection << opened->reason;
        return opened->status == Transport::OpenStatus::Busy ? OPOS_E_CLAIMED : OPOS_E_NOHARDWARE;
    }
    link().setAutomaticStatus(this, true); // asked for in this exchange
    const Outcome learnt = learnBeforeEnable(link(), m_config->printer.connection);
    const auto refuse = [this](const Outcome& outcome) {
        link().setAutomaticStatus(this, false);
        link().detach(this);
        return outcome;
    };
    if (learnt.code != OPOS_SUCCESS)
        return refuse(learnt);
    // A printer that answers nothing has no drawer switch to read: DrawerOpened stays FALSE.
    if (CompletionRule::of(link()).checksReadiness()) {
        const std::optional<ExchangeOutcome> answer = exchangeAndWait(
            link(), EscPos::enableAutomaticStatus(kAutomaticStatusMask) + EscPos::realtimeStatus(1),
            {{StatusQuery::Kind::RealTime, 1}});
        if (!answer || answer->result != ExchangeOutcome::Result::Answered)
            return refuse(OPOS_E_NOHARDWARE);
        m_drawerOpened = drawerOpenIn(link().status());
    }
    return learnt;
}

void CashDrawerControl::disable() {
    link().setAutomaticStatus(this, false);
    link().detach(this);
}

void CashDrawerControl::closing() {
    m_config.reset();
    m_drawerOpened = false;
}

// Every pulse is counted, the health check's too: the drawer really opened.
Outcome CashDrawerControl::kick() {
    const Outcome outcome = pulseDrawer();
    m_core.statistics().increment(outcome.code == OPOS_SUCCESS ? statistic::DrawerGoodOpenCount
                                                               : statistic::DrawerFailedOpenCount);
    if (outcome.code == OPOS_E_NOHARDWARE || outcome.code == OPOS_E_TIMEOUT)
        m_core.statistics().increment(statistic::CommunicationErrorCount);
    return outcome;
}

Outcome CashDrawerControl::pulseDrawer() {
    const CompletionRule rule = CompletionRule::of(link());
    const QByteArray kick = EscPos::drawerKick(m_config->pin, m_config->pulseOnMs, m_config->pulseOffMs);
    if (!rule.checksReadiness()) {
        // It cannot say whether the kick came through: written is all there is to know.
        const std::optional<ExchangeOutcome> written = exchangeAndWait(link(), kick, {});
        return written && written->result == ExchangeOutcome::Result::Answered ? OPOS_SUCCESS
                                                                               : OPOS_E_NOHARDWARE;
    }
    // A printer that is offline (cover open, paper out) would keep the kick in its buffer.
    const std::optional<ExchangeOutcome> ready =
        exchangeAndWait(link(), EscPos::realtimeStatus(1) + EscPos::realtimeStatus(2),
                        {{StatusQuery::Kind::RealTime, 1}, {StatusQuery::Kind::RealTime, 2}});
    if (!ready || ready->result != ExchangeOutcome::Result::Answered)
        return OPOS_E_NOHARDWARE;
    if ((ready->replies.at(0) & 0x08) || (ready->replies.at(1) & 0x04))
        return OPOS_E_OFFLINE;
    // GS r 2 comes back after the kick has been carried out and tells the drawer's state; a
    // printer that answers real-time status only says that it took the kick and stays on line.
    const CompletionRule::Confirmation confirmation =
        rule.level() == StatusLevel::RealTime
            ? rule.confirmation()
            : CompletionRule::Confirmation{EscPos::transmitStatus(2), {{StatusQuery::Kind::Transmit, 2}}};
    const std::optional<ExchangeOutcome> kicked =
        exchangeAndWait(link(), kick + confirmation.bytes, confirmation.queries);
    if (!kicked || kicked->result != ExchangeOutcome::Result::Answered)
        return kicked && kicked->result == ExchangeOutcome::Result::LinkDown ? OPOS_E_NOHARDWARE
                                                                             : OPOS_E_OFFLINE;
    return rule.judge(*kicked).code == OPOS_SUCCESS ? Outcome(OPOS_SUCCESS) : Outcome(OPOS_E_OFFLINE);
}

// Internal: the printer answers a status request. External: the drawer is pulsed open (with its
// status events). Interactive: the same, shown to the user.
Outcome CashDrawerControl::checkHealth(qint32 level) {
    if (level < OPOS_CH_INTERNAL || level > OPOS_CH_INTERACTIVE)
        return OPOS_E_ILLEGAL;
    static const char* const names[] = {"Internal", "External", "Interactive"};
    Outcome outcome;
    if (level == OPOS_CH_INTERNAL && !m_core.seesStatus()) {
        m_core.setCheckHealthText(
            QStringLiteral("Internal HCheck: Not checked (the printer answers nothing)"));
        return OPOS_SUCCESS;
    }
    if (level == OPOS_CH_INTERNAL) {
        const std::optional<ExchangeOutcome> answer =
            exchangeAndWait(link(), EscPos::realtimeStatus(1), {{StatusQuery::Kind::RealTime, 1}});
        outcome = answer && answer->result == ExchangeOutcome::Result::Answered ? Outcome(OPOS_SUCCESS)
                                                                                : Outcome(OPOS_E_NOHARDWARE);
    } else {
        outcome = kick();
    }
    const QString result = outcome.code == OPOS_SUCCESS     ? QStringLiteral("Successful")
                           : outcome.code == OPOS_E_OFFLINE ? QStringLiteral("Printer Offline")
                                                            : QStringLiteral("Not Responding");
    m_core.setCheckHealthText(QStringLiteral("%1 HCheck: %2").arg(QLatin1String(names[level - 1]), result));
    if (level == OPOS_CH_INTERACTIVE)
        m_services.presentInteractiveCheck(QStringLiteral("Interactive HCheck"),
                                           QStringLiteral("%1\n\nThe drawer was pulsed open.\n\nResult: %2")
                                               .arg(DeviceDescription(), result));
    return outcome;
}

// Returns at once when the drawer is closed; otherwise waits, sounding the bell every BeepDelay ms
// from BeepTimeout on. A drawer left open longer than the cap, a disable or close while waiting,
// and a lost printer end the wait.
Outcome CashDrawerControl::waitForDrawerClose(qint32 beepTimeout, qint32 beepFrequency, qint32 beepDuration,
                                              qint32 beepDelay) {
    if (beepTimeout < OPOS_FOREVER || beepFrequency < 0 || beepDuration < 0 || beepDelay < 0)
        return OPOS_E_ILLEGAL;
    if (!CapStatus())
        return OPOS_SUCCESS; // no drawer switch to wait for
    QDeadlineTimer cap(drawerCloseWaitCapMs());
    QDeadlineTimer nextBeep(beepTimeout == OPOS_FOREVER ? QDeadlineTimer::Forever
                                                        : QDeadlineTimer(beepTimeout));
    while (m_core.isEnabled() && m_drawerOpened) {
        if (cap.hasExpired())
            return OPOS_E_TIMEOUT;
        if (nextBeep.hasExpired()) {
            m_services.ring(beepFrequency, beepDuration);
            nextBeep.setRemainingTime(qMax(100, beepDuration + beepDelay));
        }
        const qint64 untilBeep = nextBeep.isForever() ? cap.remainingTime() : nextBeep.remainingTime();
        waitUntil([this] { return !m_core.isEnabled() || !m_drawerOpened; },
                  static_cast<int>(qBound(qint64(1), qMin(untilBeep, cap.remainingTime()), qint64(1000))));
    }
    return m_core.isEnabled() ? Outcome(OPOS_SUCCESS) : Outcome(isOpen() ? OPOS_E_DISABLED : OPOS_E_CLOSED);
}

bool CashDrawerControl::drawerOpenIn(const PrinterStatus& status) const {
    return status.drawerPinHigh == m_config->openWhenHigh;
}

void CashDrawerControl::statusChanged(const PrinterStatus& status) {
    const bool open = drawerOpenIn(status);
    if (open == m_drawerOpened)
        return;
    m_drawerOpened = open;
    m_core.post(PendingEvent::Kind::StatusUpdate, open ? CASH_SUE_DRAWEROPEN : CASH_SUE_DRAWERCLOSED);
}

void CashDrawerControl::deliver(const PendingEvent& event) {
    if (event.kind == PendingEvent::Kind::StatusUpdate)
        Q_EMIT StatusUpdateEvent(event.data);
}

} // namespace device
