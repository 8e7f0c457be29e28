#pragma once

#include "device/control/eventqueue.h"
#include "device/control/powerwatch.h"
#include "device/control/resultfunnel.h"
#include "device/link/printerlink.h"
#include "device/registry/deviceconfig.h"
#include "opos/cashdrawer.h"

#include <memory>
#include <optional>

namespace device {

// Our OPOS 1.8 cash drawer control: a drawer on the kick connector of a printer named in the
// device registry. It reaches the drawer through that printer's connection (shared with the
// printer control) and never claims the printer. Sharable: it can be enabled without a claim; a
// claim only keeps other drawer controls from kicking it.
class CashDrawerControl : public opos::CashDrawer {
    Q_OBJECT
public:
    explicit CashDrawerControl(QObject* parent = nullptr);
    ~CashDrawerControl() override;

    qint32 Open(const QString& DeviceName) override;
    qint32 Close() override;
    qint32 OpenDrawer() override;
    void setDeviceEnabled(bool enabled) override;
    qint32 ResultCode() const override { return m_result.code(); }
    qint32 State() const override { return isOpen() ? opos::OPOS_S_IDLE : opos::OPOS_S_CLOSED; }
    qint32 CapPowerReporting() const override {
        return isOpen() ? opos::OPOS_PR_ADVANCED : opos::OPOS_PR_NONE;
    }
    qint32 PowerNotify() const override { return m_power.notify(); }
    void setPowerNotify(qint32 PowerNotify) override;
    qint32 PowerState() const override { return m_power.state(); }

    qint32 Claim(qint32 Timeout);
    qint32 ReleaseDevice();
    void setFreezeEvents(bool freeze);

    qint32 ResultCodeExtended() const { return m_result.extended(); }
    bool DeviceEnabled() const { return m_enabled; }
    bool Claimed() const { return m_claimed; }
    bool FreezeEvents() const { return m_events.isFrozen(); }
    bool CapStatus() const { return isOpen(); }
    bool DrawerOpened() const { return m_drawerOpened; }
    QString ControlObjectDescription() const;
    qint32 ControlObjectVersion() const { return kControlObjectVersion; }
    QString ServiceObjectDescription() const;
    qint32 ServiceObjectVersion() const { return isOpen() ? kServiceObjectVersion : 0; }
    QString DeviceDescription() const;
    QString DeviceName() const;

private:
    bool isOpen() const { return m_config.has_value(); }
    Outcome openDevice(const QString& name);
    Outcome closeDevice();
    Outcome enableDevice();
    void disableDevice();
    Outcome openDrawer();
    Outcome claimDevice(qint32 timeout);
    bool drawerOpenIn(const PrinterStatus& status) const;
    void onStatusChanged(const PrinterStatus& status);
    void deliver(const PendingEvent& event);

    ResultFunnel m_result;
    EventQueue m_events;
    PowerWatch m_power;
    std::optional<DrawerConfig> m_config;
    std::shared_ptr<PrinterLink> m_link;
    bool m_claimed = false;
    bool m_enabled = false;
    bool m_drawerOpened = false;
};

} // namespace device
