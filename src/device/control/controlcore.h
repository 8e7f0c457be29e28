#pragma once

#include "device/control/controllink.h"
#include "device/control/devicestatistics.h"
#include "device/control/eventqueue.h"
#include "device/control/powerwatch.h"
#include "device/control/resultfunnel.h"
#include "device/registry/deviceconfig.h"
#include "device/registry/deviceregistry.h"

#include <QObject>

#include <memory>
#include <optional>

namespace device {

// What OPOS makes common to every control, kept once for the POS printer and the cash drawer: the
// result funnel and event queue that every call goes through; Open, Claim, Release and Close with
// their checks; DeviceEnabled, FreezeEvents, PowerNotify and BinaryConversion; the statistics
// methods; the power watch and the link to the printer. The control supplies what differs as a
// Device, asked only once the core's own checks have passed.
class ControlCore : public QObject {
    Q_OBJECT
public:
    class Device {
    public:
        virtual ~Device() = default;
        // The check between "open" and "enabled" of every device method: another holds the
        // device, or this control must claim it first.
        virtual std::optional<Outcome> claimCheck() const = 0;
        // Claim once it has to wait: open, not claimed yet, a time-out OPOS allows.
        virtual Outcome claim(qint32 timeout) = 0;
        virtual void release() = 0; // claimed; the core forgets the claim afterwards
        // DeviceEnabled = TRUE: ready the printer; its events are not on yet.
        virtual Outcome enable() = 0;
        virtual void enabled() {} // events are on: report what is already there
        virtual void disable() = 0;
        virtual void closing() = 0; // disabled and released; the link is still there
        virtual void statusChanged(const PrinterStatus& status) = 0; // only while enabled
        virtual void deliver(const PendingEvent& event) = 0;
    };

    // deviceClass names the control in traces ("PosPrinter", "CashDrawer"); owner is the control,
    // the user of the link.
    ControlCore(const char* deviceClass, StatisticsCategory category, Device& device, QObject* owner);
    ~ControlCore() override;

    // Runs one call of the control's contract through the event bracket and the result funnel.
    template <typename Body> qint32 call(const char* method, Body&& body) {
        return runCall(m_result, m_events, CallName{m_deviceClass, method}, std::forward<Body>(body));
    }
    // A call that needs the device open; a call that needs every device check passed.
    template <typename Body> qint32 callWhenOpen(const char* method, Body&& body) {
        return call(method, [&]() -> Outcome { return isOpen() ? body() : Outcome(opos::OPOS_E_CLOSED); });
    }
    template <typename Body> qint32 callWhenEnabled(const char* method, Body&& body) {
        return call(method, [&]() -> Outcome {
            if (auto refused = deviceCheck())
                return *refused;
            return body();
        });
    }

    // Open: the name is resolved in the registry, the printer's link obtained and the statistics
    // started; then adopt takes the device's own configuration.
    template <typename Config, typename Adopt>
    qint32 open(const QString& name, Resolution<Config> (*resolve)(const DeviceRegistry&, const QString&),
                Adopt&& adopt) {
        return call("Open", [&]() -> Outcome {
            if (isOpen()) {
                m_openResult = opos::OPOS_OR_ALREADYOPEN;
                return opos::OPOS_E_ILLEGAL;
            }
            const Resolution<Config> resolution = resolve(DeviceRegistry::load(), name);
            if (!resolution.config)
                return refuseOpen(name, resolution.code, resolution.reason);
            const Outcome linked = attach(name, resolution.config->name, printerOf(*resolution.config));
            if (linked.code == opos::OPOS_SUCCESS)
                adopt(*resolution.config);
            return linked;
        });
    }
    qint32 claim(const char* method, qint32 timeout);
    qint32 release();
    qint32 close();
    void closeIfOpen(); // the control goes away
    void setDeviceEnabled(bool enabled);
    void disable(); // enabled
    void setFreezeEvents(bool freeze);
    void setPowerNotify(qint32 notify);
    void setBinaryConversion(qint32 conversion);
    qint32 resetStatistics(const QString& buffer);
    qint32 retrieveStatistics(QString& buffer);
    qint32 updateStatistics(const QString& buffer);

    // closed, the device's claim check, disabled: the checks of every device method, in OPOS order
    std::optional<Outcome> deviceCheck() const;

    bool isOpen() const { return m_printer.has_value(); }
    bool isClaimed() const { return m_claimed; }
    bool isEnabled() const { return m_enabled; }
    const PrinterConfig& printer() const { return *m_printer; } // only while open
    const std::shared_ptr<PrinterLink>& link() const { return m_link; }
    const LinkTimings& timings() const { return m_link->timings(); }
    // Whether the printer's sensors can be read: false once it was found to answer nothing.
    bool seesStatus() const;
    qint32 openResult() const { return m_openResult; }
    qint32 binaryConversion() const { return isOpen() ? m_binaryConversion : 0; }
    const QString& checkHealthText() const { return m_checkHealthText; }
    void setCheckHealthText(const QString& text) { m_checkHealthText = text; }

    const ResultFunnel& result() const { return m_result; }
    void settleFromEvent(const Outcome& outcome) { m_result.settle(outcome); }
    EventQueue& events() { return m_events; }
    const EventQueue& events() const { return m_events; }
    void post(PendingEvent::Kind kind, qint32 data, qint32 extended = 0, qint32 locus = 0);
    const PowerWatch& power() const { return m_power; }
    DeviceStatistics& statistics() { return m_statistics; }

private:
    Outcome refuseOpen(const QString& name, qint32 code, const QString& reason);
    Outcome attach(const QString& name, const QString& configName, const PrinterConfig& printer);
    Outcome enable();
    template <typename Body> qint32 statisticsCall(const char* method, Body&& body);

    const char* m_deviceClass;
    Device& m_device;
    QObject* m_owner;
    ResultFunnel m_result;
    EventQueue m_events;
    PowerWatch m_power;
    DeviceStatistics m_statistics;
    std::optional<PrinterConfig> m_printer; // of the device's own entry, or its drawer's printer
    std::shared_ptr<PrinterLink> m_link;
    QString m_checkHealthText;
    qint32 m_openResult = 0;
    qint32 m_binaryConversion = opos::OPOS_BC_NONE;
    bool m_claimed = false;
    bool m_enabled = false;
};

} // namespace device
