#pragma once

#include "device/control/controlcore.h"
#include "opos/cashdrawer.h"
#include "opos/controlfactory.h"

#include <memory>
#include <optional>

namespace device {

// Our OPOS 1.8 cash drawer control: a drawer on the kick connector of a printer named in the
// device registry. It reaches the drawer through that printer's connection (shared with the
// printer control) and never claims the printer. Sharable: it can be enabled without a claim; a
// claim only keeps other drawer controls from kicking it.
class CashDrawerControl : public opos::CashDrawer, private ControlCore::Device {
    Q_OBJECT
public:
    explicit CashDrawerControl(const opos::HostServices& services = {}, QObject* parent = nullptr);
    ~CashDrawerControl() override;

    qint32 Open(const QString& DeviceName) override;
    qint32 Close() override { return m_core.close(); }
    qint32 Claim(qint32 Timeout) override { return m_core.claim("Claim", Timeout); }
    qint32 ClaimDevice(qint32 Timeout) override { return m_core.claim("ClaimDevice", Timeout); }
    qint32 ReleaseDevice() override { return m_core.release(); }
    qint32 CheckHealth(qint32 Level) override;
    qint32 DirectIO(qint32 Command, qint32& pData, QString& pString) override;
    qint32 OpenDrawer() override;
    qint32 WaitForDrawerClose(qint32 BeepTimeout, qint32 BeepFrequency, qint32 BeepDuration,
                              qint32 BeepDelay) override;
    qint32 ResetStatistics(const QString& StatisticsBuffer) override {
        return m_core.resetStatistics(StatisticsBuffer);
    }
    qint32 RetrieveStatistics(QString& pStatisticsBuffer) override {
        return m_core.retrieveStatistics(pStatisticsBuffer);
    }
    qint32 UpdateStatistics(const QString& StatisticsBuffer) override {
        return m_core.updateStatistics(StatisticsBuffer);
    }

    void setDeviceEnabled(bool enabled) override { m_core.setDeviceEnabled(enabled); }
    void setFreezeEvents(bool freeze) override { m_core.setFreezeEvents(freeze); }
    void setBinaryConversion(qint32 conversion) override { m_core.setBinaryConversion(conversion); }
    void setPowerNotify(qint32 PowerNotify) override { m_core.setPowerNotify(PowerNotify); }

    qint32 ResultCode() const override { return m_core.result().code(); }
    qint32 ResultCodeExtended() const override { return m_core.result().extended(); }
    QString ResultReason() const override { return m_core.result().reason(); }
    qint32 State() const override { return isOpen() ? opos::OPOS_S_IDLE : opos::OPOS_S_CLOSED; }
    qint32 OpenResult() const override { return m_core.openResult(); }
    bool Claimed() const override { return m_core.isClaimed(); }
    bool DeviceEnabled() const override { return m_core.isEnabled(); }
    bool FreezeEvents() const override { return m_core.events().isFrozen(); }
    qint32 BinaryConversion() const override { return m_core.binaryConversion(); }
    QString CheckHealthText() const override { return m_core.checkHealthText(); }
    QString ControlObjectDescription() const override;
    qint32 ControlObjectVersion() const override { return kControlObjectVersion; }
    QString ServiceObjectDescription() const override;
    qint32 ServiceObjectVersion() const override { return isOpen() ? kServiceObjectVersion : 0; }
    QString DeviceDescription() const override;
    QString DeviceName() const override;
    bool CapStatus() const override { return isOpen() && m_core.seesStatus(); }
    bool CapStatusMultiDrawerDetect() const override { return false; }
    bool CapStatisticsReporting() const override { return isOpen(); }
    bool CapUpdateStatistics() const override { return isOpen(); }
    bool DrawerOpened() const override { return m_drawerOpened; }
    qint32 CapPowerReporting() const override {
        return isOpen() ? opos::OPOS_PR_ADVANCED : opos::OPOS_PR_NONE;
    }
    qint32 PowerNotify() const override { return m_core.power().notify(); }
    qint32 PowerState() const override { return m_core.power().state(); }

    // The longest WaitForDrawerClose waits before it gives up with OPOS_E_TIMEOUT.
    static constexpr int kDrawerCloseWaitCapMs = 5 * 60 * 1000;
    static void setDrawerCloseWaitCapMs(int ms); // tests shorten it
    static int drawerCloseWaitCapMs();

private:
    bool isOpen() const { return m_core.isOpen(); }

    // What the drawer does in the common lifecycle.
    std::optional<Outcome> claimCheck() const override;
    Outcome claim(qint32 timeout) override;
    void release() override;
    Outcome enable() override;
    void disable() override;
    void closing() override;
    void statusChanged(const PrinterStatus& status) override;
    void deliver(const PendingEvent& event) override;

    Outcome kick();
    Outcome pulseDrawer();
    Outcome checkHealth(qint32 level);
    Outcome waitForDrawerClose(qint32 beepTimeout, qint32 beepFrequency, qint32 beepDuration,
                               qint32 beepDelay);
    bool drawerOpenIn(const PrinterStatus& status) const;
    PrinterLink& link() const { return *m_core.link(); }

    opos::HostServices m_services;
    ControlCore m_core;
    std::optional<DrawerConfig> m_config;
    bool m_drawerOpened = false;
};

} // namespace device
