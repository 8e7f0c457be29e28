#include "device/control/cashdrawercontrol.h"

#include "device/control/controllink.h"
#include "device/control/controlrules.h"
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

} // namespace

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
    if (isOpen())
        return OPOS_E_ILLEGAL;
    Resolution<DrawerConfig> resolution = resolveDrawer(DeviceRegistry::load(), name);
    if (!resolution.config) {
        logOpenRefused(name, resolution.reason);
        return resolution.code;
    }
    std::shared_ptr<PrinterLink> link = obtainLink(resolution.config->printer, name);
    if (!link)
        return OPOS_E_NOSERVICE;
    m_config = resolution.config;
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

Outcome CashDrawerControl::openDrawer() {
    if (!isOpen())
        return OPOS_E_CLOSED;
    const CashDrawerControl* holder = drawerClaims().value(claimKey(m_config->name));
    if (holder && holder != this)
        return OPOS_E_CLAIMED;
    if (!m_enabled)
        return OPOS_E_DISABLED;
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
