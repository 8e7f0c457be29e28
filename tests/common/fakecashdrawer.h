#pragma once

#include "callrecorder.h"
#include "opos/cashdrawer.h"

// A cash drawer control that records every call, as CallRecorder says. A successful Open makes
// the state idle, a successful Close closed.
class FakeCashDrawer : public opos::CashDrawer, public CallRecorder, public MadeFakes<FakeCashDrawer> {
    Q_OBJECT
public:
    FakeCashDrawer() : CallRecorder(QStringLiteral("drawer")) {}

    // Installs a creator that makes a new fake for every window load, each noting its calls in `log`.
    static void install(const CallLog& log = {});

    qint32 Open(const QString& DeviceName) override { return opened(recorded("Open", DeviceName)); }
    qint32 Close() override { return closed(recorded("Close")); }
    qint32 OpenDrawer() override { return recorded("OpenDrawer"); }
    void setDeviceEnabled(bool enabled) override { recordedSet("DeviceEnabled", enabled); }
    void setPowerNotify(qint32 PowerNotify) override { recordedSet("PowerNotify", PowerNotify); }
    qint32 ResultCode() const override { return readResultCode(); }
    qint32 State() const override { return readState(); }

    // The calls no window makes, recorded the same way.
    qint32 Claim(qint32 Timeout) override { return recorded("Claim", Timeout); }
    qint32 ClaimDevice(qint32 Timeout) override { return recorded("ClaimDevice", Timeout); }
    qint32 ReleaseDevice() override { return recorded("ReleaseDevice"); }
    qint32 CheckHealth(qint32 Level) override { return recorded("CheckHealth", Level); }
    qint32 DirectIO(qint32 Command, qint32& pData, QString& pString) override {
        return recorded("DirectIO", Command, pData, pString);
    }
    qint32 WaitForDrawerClose(qint32 BeepTimeout, qint32 BeepFrequency, qint32 BeepDuration,
                              qint32 BeepDelay) override {
        return recorded("WaitForDrawerClose", BeepTimeout, BeepFrequency, BeepDuration, BeepDelay);
    }
    qint32 ResetStatistics(const QString& StatisticsBuffer) override {
        return recorded("ResetStatistics", StatisticsBuffer);
    }
    qint32 RetrieveStatistics(QString&) override { return recorded("RetrieveStatistics"); }
    qint32 UpdateStatistics(const QString& StatisticsBuffer) override {
        return recorded("UpdateStatistics", StatisticsBuffer);
    }
    void setFreezeEvents(bool FreezeEvents) override { recordedSet("FreezeEvents", FreezeEvents); }
    void setBinaryConversion(qint32 BinaryConversion) override {
        recordedSet("BinaryConversion", BinaryConversion);
    }

    POSLING_FAKE_READ(qint32, ResultCodeExtended)
    POSLING_FAKE_READ(qint32, OpenResult)
    POSLING_FAKE_READ(bool, Claimed)
    POSLING_FAKE_READ(bool, DeviceEnabled)
    POSLING_FAKE_READ(bool, FreezeEvents)
    POSLING_FAKE_READ(qint32, BinaryConversion)
    POSLING_FAKE_READ(QString, CheckHealthText)
    POSLING_FAKE_READ(QString, ControlObjectDescription)
    POSLING_FAKE_READ(qint32, ControlObjectVersion)
    POSLING_FAKE_READ(QString, ServiceObjectDescription)
    POSLING_FAKE_READ(qint32, ServiceObjectVersion)
    POSLING_FAKE_READ(QString, DeviceDescription)
    POSLING_FAKE_READ(QString, DeviceName)
    POSLING_FAKE_READ(bool, CapStatus)
    POSLING_FAKE_READ(bool, CapStatusMultiDrawerDetect)
    POSLING_FAKE_READ(bool, CapStatisticsReporting)
    POSLING_FAKE_READ(bool, CapUpdateStatistics)
    POSLING_FAKE_READ(bool, DrawerOpened)
    POSLING_FAKE_READ(qint32, CapPowerReporting)
    POSLING_FAKE_READ(qint32, PowerNotify)
    POSLING_FAKE_READ(qint32, PowerState)
};
