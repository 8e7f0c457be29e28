#pragma once

#include "device/control/devicestatistics.h"
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
    qint32 Claim(qint32 Timeout) override;
    qint32 ClaimDevice(qint32 Timeout) override;
    qint32 ReleaseDevice() override;
    qint32 CheckHealth(qint32 Level) override;
    qint32 DirectIO(qint32 Command, qint32& pData, QString& pString) override;
    qint32 OpenDrawer() override;
    qint32 WaitForDrawerClose(qint32 BeepTimeout, qint32 BeepFrequency, qint32 BeepDuration,
                              qint32 BeepDelay) override;
    qint32 ResetStatistics(const QString& StatisticsBuffer) override;
    qint32 RetrieveStatistics(QString& pStatisticsBuffer) override;
    qint32 UpdateStatistics(const QString& StatisticsBuffer) override;

    void setDeviceEnabled(bool enabled) override;
    void setFreezeEvents(bool freeze) override;
    void setBinaryConversion(qint32 conversion) override;
    void setPowerNotify(qint32 PowerNotify) override;

    qint32 ResultCode() const override { return m_result.code(); }
    qint32 ResultCodeExtended() const override { return m_result.extended(); }
    qint32 State() const override { return isOpen() ? opos::OPOS_S_IDLE : opos::OPOS_S_CLOSED; }
    qint32 OpenResult() const override { return m_openResult; }
    bool Claimed() const override { return m_claimed; }
    bool DeviceEnabled() const override { return m_enabled; }
    bool FreezeEvents() const override { return m_events.isFrozen(); }
    qint32 BinaryConversion() const override { return isOpen() ? m_binaryConversion : 0; }
    QString CheckHealthText() const override { return m_checkHealthText; }
    QString ControlObjectDescription() const override;
    qint32 ControlObjectVersion() const override { return kControlObjectVersion; }
    QString ServiceObjectDescription() const override;
    qint32 ServiceObjectVersion() const override { return isOpen() ? kServiceObjectVersion : 0; }
    QString DeviceDescription() const override;
    QString DeviceName() const override;
    bool CapStatus() const override { return isOpen(); }
    bool CapStatusMultiDrawerDetect() const override { return false; }
    bool CapStatisticsReporting() const override { return isOpen(); }
    bool CapUpdateStatistics() const override { return isOpen(); }
    bool DrawerOpened() const override { return m_drawerOpened; }
    qint32 CapPowerReporting() const override {
        return isOpen() ? opos::OPOS_PR_ADVANCED : opos::OPOS_PR_NONE;
    }
    qint32 PowerNotify() const override { return m_power.notify(); }
    qint32 PowerState() const override { return m_power.state(); }

    // The longest WaitForDrawerClose waits before it gives up with OPOS_E_TIMEOUT.
    static constexpr int kDrawerCloseWaitCapMs = 5 * 60 * 1000;
    static void setDrawerCloseWaitCapMs(int ms); // tests shorten it
    static int drawerCloseWaitCapMs();

private:
    bool isOpen() const { return m_config.has_value(); }
    Outcome openDevice(const QString& name);
    Outcome closeDevice();
    Outcome enableDevice();
    void disableDevice();
    Outcome openDrawer();
    Outcome kick();
    Outcome pulseDrawer();
    Outcome checkHealth(qint32 level);
    Outcome waitForDrawerClose(qint32 beepTimeout, qint32 beepFrequency, qint32 beepDuration,
                               qint32 beepDelay);
    // closed, claimed by another control, disabled: the checks of the drawer's methods in order
    std::optional<Outcome> deviceCheck() const;
    template <typename Call> qint32 statisticsCall(const char* method, Call&& call);
    Outcome claimDevice(qint32 timeout);
    bool drawerOpenIn(const PrinterStatus& status) const;
    void onStatusChanged(const PrinterStatus& status);
    void deliver(const PendingEvent& event);

    ResultFunnel m_result;
    EventQueue m_events;
    PowerWatch m_power;
    std::optional<DrawerConfig> m_config;
    std::shared_ptr<PrinterLink> m_link;
    DeviceStatistics m_statistics{StatisticsCategory::CashDrawer};
    QString m_checkHealthText;
    qint32 m_openResult = 0;
    qint32 m_binaryConversion = opos::OPOS_BC_NONE;
    bool m_claimed = false;
    bool m_enabled = false;
    bool m_drawerOpened = false;
};

} // namespace device
