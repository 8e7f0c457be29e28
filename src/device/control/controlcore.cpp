#include "device/control/controlcore.h"

#include "device/control/completionrule.h"
#include "device/control/controlrules.h"

namespace device {

using namespace opos;

ControlCore::ControlCore(const char* deviceClass, StatisticsCategory category, Device& device, QObject* owner)
    : QObject(owner), m_deviceClass(deviceClass), m_device(device), m_owner(owner),
      m_events([this](const PendingEvent& e) { m_device.deliver(e); }, this), m_statistics(category) {
    connect(&m_power, &PowerWatch::stateChanged, this,
            [this](qint32 code) { post(PendingEvent::Kind::StatusUpdate, code); });
}

ControlCore::~ControlCore() = default;

void ControlCore::post(PendingEvent::Kind kind, qint32 data, qint32 extended, qint32 locus) {
    m_events.post({kind, data, extended, locus});
}

Outcome ControlCore::refuseOpen(const QString& name, qint32 code, const QString& reason) {
    qCWarning(lcDevice).noquote() << "Open" << name << "refused:" << reason;
    m_openResult = code == OPOS_E_NOEXIST ? OPOS_OR_REGBADNAME : OPOS_ORS_CONFIG;
    return Outcome(code).because(reason);
}

Outcome ControlCore::attach(const QString& name, const QString& configName, const PrinterConfig& printer) {
    QString error;
    std::shared_ptr<PrinterLink> link = PrinterLink::obtain(printer, &error);
    if (!link) {
        qCWarning(lcDevice).noquote() << "Open" << name << "refused:" << error;
        m_openResult = OPOS_ORS_CONFIG;
        return Outcome(OPOS_E_NOSERVICE).because(error);
    }
    m_printer = printer;
    m_link = std::move(link);
    connect(m_link.get(), &PrinterLink::statusChanged, m_owner, [this](const PrinterStatus& status) {
        if (m_enabled)
            m_device.statusChanged(status);
    });
    m_statistics.setEquipment(equipmentOf(printer));
    m_statistics.load(configName);
    m_openResult = OPOS_SUCCESS;
    return OPOS_SUCCESS;
}

qint32 ControlCore::claim(const char* method, qint32 timeout) {
    return call(method, [&]() -> Outcome {
        if (auto answer = claimAnsweredAtOnce(isOpen(), m_claimed, timeout))
            return *answer;
        const Outcome outcome = m_device.claim(timeout);
        m_claimed = outcome.code == OPOS_SUCCESS;
        return outcome;
    });
}

qint32 ControlCore::release() {
    return call("ReleaseDevice", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        if (!m_claimed)
            return OPOS_E_ILLEGAL;
        m_device.release();
        m_claimed = false;
        return OPOS_SUCCESS;
    });
}

qint32 ControlCore::close() {
    return call("Close", [&]() -> Outcome {
        if (!isOpen())
            return OPOS_E_CLOSED;
        closeIfOpen();
        return OPOS_SUCCESS;
    });
}

void ControlCore::closeIfOpen() {
    if (!isOpen())
        return;
    if (m_enabled)
        disable();
    if (m_claimed) {
        m_device.release();
        m_claimed = false;
    }
    m_device.closing();
    releaseLink(m_link, m_owner);
    m_printer.reset();
    m_events.setFrozen(false);
    m_power.reset();
    m_statistics.flush();
    m_checkHealthText.clear();
    m_binaryConversion = OPOS_BC_NONE;
}

void ControlCore::setDeviceEnabled(bool enabled) {
    call("DeviceEnabled", [&] {
        return switchEnabled(
            isOpen(), m_enabled, enabled, [&] { return enable(); }, [&] { disable(); });
    });
}

Outcome ControlCore::enable() {
    const Outcome outcome = m_device.enable();
    if (outcome.code != OPOS_SUCCESS)
        return outcome;
    m_enabled = true;
    m_events.setEnabled(true);
    m_device.enabled();
    m_power.start(m_link);
    return outcome;
}

void ControlCore::disable() {
    m_power.stop();
    m_device.disable();
    m_enabled = false;
    m_events.setEnabled(false);
}

void ControlCore::setFreezeEvents(bool freeze) {
    callWhenOpen("FreezeEvents", [&]() -> Outcome {
        m_events.setFrozen(freeze);
        return OPOS_SUCCESS;
    });
}

void ControlCore::setPowerNotify(qint32 notify) {
    call("PowerNotify", [&] { return m_power.setNotify(isOpen(), m_enabled, notify); });
}

void ControlCore::setBinaryConversion(qint32 conversion) {
    call("BinaryConversion",
         [&] { return device::setBinaryConversion(isOpen(), m_binaryConversion, conversion); });
}

bool ControlCore::seesStatus() const {
    return !m_link || CompletionRule::of(*m_link).seesStatus();
}

std::optional<Outcome> ControlCore::deviceCheck() const {
    if (!isOpen())
        return Outcome(OPOS_E_CLOSED);
    if (auto refused = m_device.claimCheck())
        return refused;
    if (!m_enabled)
        return Outcome(OPOS_E_DISABLED);
    return std::nullopt;
}

template <typename Body> qint32 ControlCore::statisticsCall(const char* method, Body&& body) {
    return callWhenEnabled(method, [&] { return body(m_statistics); });
}

qint32 ControlCore::resetStatistics(const QString& buffer) {
    return statisticsCall("ResetStatistics",
                          [&](DeviceStatistics& statistics) { return statistics.reset(buffer); });
}

qint32 ControlCore::retrieveStatistics(QString& buffer) {
    // The buffer brings the names asked for and takes the document back.
    const QString request = buffer;
    return statisticsCall("RetrieveStatistics",
                          [&](DeviceStatistics& statistics) { return statistics.retrieve(request, buffer); });
}

qint32 ControlCore::updateStatistics(const QString& buffer) {
    return statisticsCall("UpdateStatistics",
                          [&](DeviceStatistics& statistics) { return statistics.update(buffer); });
}

} // namespace device
