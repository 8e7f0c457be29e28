#include "device/control/posprintercontrol.h"

#include "device/control/completionrule.h"
#include "device/control/controlrules.h"
#include "device/escpos/escposencoder.h"

#include <QPointer>

namespace device {

using namespace opos;

PosPrinterControl::PosPrinterControl(const opos::HostServices& services, QObject* parent)
    : opos::PosPrinter(parent), m_services(services),
      m_core("PosPrinter", StatisticsCategory::PosPrinter, *this, this),
      m_submitter(m_core, m_composer, this), m_status(m_core), m_recovery(m_core, m_submitter, this) {
    connect(&m_submitter, &OutputSubmitter::halted, this, &PosPrinterControl::onHalted);
    connect(&m_submitter, &OutputSubmitter::drained, this, &PosPrinterControl::onOutputIdle);
}

PosPrinterControl::~PosPrinterControl() {
    m_core.closeIfOpen();
}

// ---- the printer's part of the lifecycle -------------------------------------------------------

qint32 PosPrinterControl::Open(const QString& DeviceName) {
    return m_core.open(DeviceName, resolvePrinter, [&](const PrinterConfig& config) {
        m_submitter.setLink(m_core.link());
        m_composer.open(config.profile);
        m_status.open(config.profile);
        qCDebug(lcDevice) << "opened" << DeviceName << "at" << config.connection;
    });
}

std::optional<Outcome> PosPrinterControl::claimCheck() const {
    if (!m_core.isClaimed())
        return Outcome(link().claimOwner() ? OPOS_E_CLAIMED : OPOS_E_NOTCLAIMED);
    return std::nullopt;
}

Outcome PosPrinterControl::claim(qint32 timeout) {
    return claimLink(link(), this, claimWaitMs(timeout, m_core.timings().foreverCapMs),
                     m_core.printer().connection);
}

void PosPrinterControl::release() {
    if (m_core.isEnabled())
        m_core.disable();
    m_recovery.clearOutput();
    link().detach(this);
    m_core.statistics().flush();
}

Outcome PosPrinterControl::enable() {
    if (!m_core.isClaimed())
        return link().claimOwner() ? OPOS_E_CLAIMED : OPOS_E_NOTCLAIMED;
    m_composer.beginEnable();
    // The link takes automatic status from the printer only while someone asked for it.
    link().setAutomaticStatus(this, true);
    const Outcome learnt = learnBeforeEnable(link(), m_core.printer().connection);
    if (learnt.code != OPOS_SUCCESS) {
        link().setAutomaticStatus(this, false);
        return learnt;
    }
    // Reset, select the code page, turn on automatic status back and, where the printer can say,
    // ask once where things stand.
    const QByteArray setup = m_composer.lineState();
    if (CompletionRule::of(link()).checksReadiness()) {
        const std::optional<ExchangeOutcome> answer =
            exchangeAndWait(link(), setup + readyCheckBytes(), readyCheckQueries());
        const ReadyCheck check = evaluateReadyCheck(
            answer.value_or(ExchangeOutcome{ExchangeOutcome::Result::LinkDown, {}, {}, {}}));
        if (check.code == OPOS_E_NOHARDWARE || check.code == OPOS_E_OFFLINE) {
            qCWarning(lcDevice).noquote() << "enable:" << m_core.printer().connection << check.text;
            link().setAutomaticStatus(this, false);
            return check.code;
        }
    } else if (!exchangeAndWait(link(), setup, {})) {
        link().setAutomaticStatus(this, false);
        return OPOS_E_NOHARDWARE;
    }
    m_composer.restart();
    return learnt;
}

// A fault that is already there is reported at once; a printer in order raises nothing.
void PosPrinterControl::enabled() {
    m_status.report(link().status(), true);
}

void PosPrinterControl::disable() {
    m_recovery.clearOutput();
    link().setAutomaticStatus(this, false);
    m_composer.dropBlock();
}

void PosPrinterControl::closing() {
    m_submitter.close();
    m_composer.close();
    m_status.close();
    m_letterQuality = false;
}

void PosPrinterControl::statusChanged(const PrinterStatus& status) {
    m_status.report(status, false);
    m_recovery.statusChanged(status);
}

// ---- events ------------------------------------------------------------------------------------

void PosPrinterControl::onHalted(qint32 code, qint32 extended) {
    m_status.noteFailure(code, extended);
    m_core.post(PendingEvent::Kind::Error, code, code == OPOS_E_EXTENDED ? extended : 0, OPOS_EL_OUTPUT);
}

void PosPrinterControl::onOutputIdle() {
    if (m_core.isEnabled() && !m_submitter.hasPending())
        m_status.outputIdle();
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
        m_core.settleFromEvent(Outcome(event.data, event.extended));
        qint32 response = OPOS_ER_RETRY;
        Q_EMIT ErrorEvent(event.data, event.extended, event.locus, &response);
        if (!alive || !m_core.isEnabled() || !m_submitter.isHalted())
            return;
        if (m_recovery.answer(response) == FaultRecovery::Answer::Cleared)
            onOutputIdle();
        return;
    }
    }
}

// ---- properties --------------------------------------------------------------------------------

qint32 PosPrinterControl::State() const {
    if (!isOpen())
        return OPOS_S_CLOSED;
    if (m_submitter.isHalted())
        return OPOS_S_ERROR;
    return m_submitter.hasPending() ? OPOS_S_BUSY : OPOS_S_IDLE;
}

QString PosPrinterControl::ControlObjectDescription() const {
    return QStringLiteral("Posling POS Printer control, OPOS 1.8");
}

QString PosPrinterControl::ServiceObjectDescription() const {
    return isOpen() ? QStringLiteral("Posling ESC/POS POS Printer service") : QString();
}

QString PosPrinterControl::DeviceDescription() const {
    return isOpen() ? QStringLiteral("%1 at %2").arg(profile().description, m_core.printer().connection)
                    : QString();
}

QString PosPrinterControl::DeviceName() const {
    return isOpen() ? QStringLiteral("%1 (%2)").arg(m_core.printer().name, profile().id) : QString();
}

QString PosPrinterControl::DeviceAnswers() const {
    if (!isOpen() || !link().answers())
        return {};
    const PrinterAnswers& answers = *link().answers();
    const QString identity = answers.identity.text();
    return identity.isEmpty() ? answers.summary() : QStringLiteral("%1; %2").arg(answers.summary(), identity);
}

// Both turn every way the text does: sideways in a page-mode block, upside down in a page of their
// own (bar codes) or turned on the host (bitmaps).
QString PosPrinterControl::RecBarCodeRotationList() const {
    return !isOpen() ? QString() : CapRecLeft90() ? QStringLiteral("0,R90,L90,180") : QStringLiteral("0,180");
}

QString PosPrinterControl::RecBitmapRotationList() const {
    return RecBarCodeRotationList();
}

} // namespace device
